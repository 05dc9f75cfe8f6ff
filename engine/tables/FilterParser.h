// The filter expression language: a record condition written as text
// ("ingred LIKE '%gin%' AND marked = 1"), compiled once into a tree of nodes
// and evaluated for each record a dataset tests.
//
// TSyntaxParserBase cuts the text into tokens, TExprParserBase holds the
// node list and evaluates it, TFilterParser knows the grammar, the type
// rules and the fields of the dataset it serves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Errors.h"
#include "platform/LocaleSettings.h"

namespace tinydb {

// Filter options: bit 0 compares texts ignoring case (comparisons and
// LIKE); bit 1 switches off the partial comparison of "Mar*" constants.
enum TFilterOption : uint8_t { foCaseInsensitive = 1, foNoPartialCompare = 2 };
using TFilterOptions = uint8_t;

// A division by zero while a filter is evaluated.
class EZeroDivide : public EEngineError {
 public:
  EZeroDivide() : EEngineError("Floating point division by zero") {}
};

// What the parser needs of the dataset it serves. Field indexes are
// positions in the dataset's field list.
class TFilterDataSource {
 public:
  virtual ~TFilterDataSource() = default;
  // The dataset component's name; when not empty it prefixes the dataset's
  // errors ("drinkTable: Field 'x' not found").
  virtual std::string ComponentName() const = 0;
  // The index of the field named |name| (matched ignoring case), -1 when
  // there is none.
  virtual int FindFieldIndex(const std::string& name) const = 0;
  // The field's TFieldType code.
  virtual int FieldDataType(int field_index) const = 0;
  // True for blob fields, whose value is read as text (ReadBlobText).
  virtual bool FieldIsBlob(int field_index) const = 0;
  // The field's bytes in native form inside the buffer of the record under
  // test. The pointer is taken once after each compilation and must stay
  // valid until the next one: the dataset loads every record under test
  // into the same buffer.
  virtual const uint8_t* FieldData(int field_index) = 0;
  // Replaces |*text| with the blob field's whole text for the record under
  // test (its capacity is reused from record to record).
  virtual void ReadBlobText(int field_index, std::string* text) = 0;
  // The same text as a view, valid until the next read of the dataset; it
  // may lie in |*scratch|. By default ReadBlobText into |*scratch|; a
  // dataset that holds the text already hands out a view of it.
  virtual std::string_view BlobText(int field_index, std::string* scratch) {
    ReadBlobText(field_index, scratch);
    return *scratch;
  }
};

// The LIKE test: true when the whole |value| matches the whole |pattern|,
// where '%' stands for any run of characters and '_' for one character;
// every other character matches itself (only ASCII letters ignoring case
// when |ignore_case|). A run of two or more '%' ending the pattern needs at
// least one character. Backtracks without recursion or allocation.
bool LikeMatch(std::string_view value, std::string_view pattern, bool ignore_case);

// ---- Tokenizer ----

enum class TTokenKind : uint8_t {
  None,          // no token read yet
  End,           // end of the text
  Identifier,    // a name, or a word of the grammar (AND, OR, NOT, True)
  BracketedName, // [any name]
  Number,
  String,
  LeftParen,
  RightParen,
  Comma,
  Plus,
  Minus,
  Multiply,
  Divide,
  Equal,
  NotEqual,
  Less,
  Greater,
  LessEqual,
  GreaterEqual,
  Like,
  In,
};

// The tokenizer's state over one text.
class TSyntaxParserBase {
 public:
  TSyntaxParserBase() = default;
  virtual ~TSyntaxParserBase() = default;
  TSyntaxParserBase(const TSyntaxParserBase&) = delete;
  TSyntaxParserBase& operator=(const TSyntaxParserBase&) = delete;

  // Skips characters below 33 and one "/* ... */" comment (then blanks
  // again) from |pos|; returns the position after them. A comment whose
  // first '*' is not followed by '/' raises EDatabaseError "Invalid filter
  // expression character: '%s'".
  virtual size_t SkipBlanks(size_t pos);
  // Scans the token that starts at |pos|, sets its kind and text and returns
  // the position after it.
  virtual size_t ScanToken(size_t pos) = 0;

 protected:
  // Takes a copy of |text| and rewinds to its start, with no previous token.
  void StartText(const std::string& text);
  // Reads the next token.
  void NextToken();
  // The character at |pos|, or 0 at the end of the text.
  char CharAt(size_t pos) const { return pos < text_.size() ? text_[pos] : '\0'; }

  std::string text_;
  std::string token_text_;
  TTokenKind token_ = TTokenKind::None;
  TTokenKind previous_token_ = TTokenKind::None;
  size_t pos_ = 0;
};

// ---- Node tree ----

enum TExprNodeKind : uint8_t { enField = 0, enConst = 1, enFunc = 2, enOperator = 3 };

enum TExprOperator : uint8_t {
  toNone = 0,
  toEQ = 3, toNE = 4, toGT = 5, toLT = 6, toGE = 7, toLE = 8,
  toNOT = 9, toAND = 10, toOR = 11,
  toADD = 12, toSUB = 13, toMUL = 14, toDIV = 15,
  toLIKE = 17, toIN = 18,
};

enum TExprFunction : uint8_t {
  fnNone = 0, fnUpper = 1, fnLower, fnSubstring, fnTrim, fnTrimLeft, fnTrimRight,
  fnYear, fnMonth, fnDay, fnHour, fnMinute, fnSecond, fnGetDate = 13,
};

class TExprNodes;
class TExprParserBase;

// One node of a compiled tree. Its value lives in native record-buffer form
// at |Data|: in |Fixed| for computed fixed-size values, in |Text| (zero-
// terminated) for texts, or inside the record under test for a field node
// of a fixed-size field.
struct TExprNode {
  TExprNodes* Owner = nullptr;
  TExprNode* Next = nullptr;  // the next node of the owner's list
  TExprNodeKind Kind = enConst;
  TExprOperator Operator = toNone;
  TExprFunction FunctionCode = fnNone;
  bool IsBlob = false;
  int DataType = 0;           // TFieldType
  int FieldIndex = -1;
  int PartialLength = -1;     // string constants with '*': characters before it
  std::string Name;           // field or function name as written
  const uint8_t* Data = nullptr;
  TExprNode* Left = nullptr;  // first operand; NOT's operand; IN's tested value
  TExprNode* Right = nullptr; // second operand
  std::vector<TExprNode*> Args;  // function arguments or IN's element list
  std::string Text;           // text value, blob text last read
  // On the top node of a left-deep run of operators of one grammar level
  // ("a OR b OR c", "x + 1 - y"): the run's nodes from the innermost up, so
  // that long runs are evaluated without recursion.
  std::vector<TExprNode*> Chain;
  alignas(8) uint8_t Fixed[8] = {};

  void SetBoolean(bool value);
  void SetInt32(int32_t value);
  void SetInt64(int64_t value);
  void SetDouble(double value);
  // Makes |Text| the value (zero-terminated at Data).
  void SetTextValue();
  // The value as a text (up to its zero byte); string-class nodes only.
  std::string_view TextValue() const;
};

// Owner of every node of a tree; keeps them in a singly linked list, newest
// first, and remembers the root of the last compilation. Nodes are carved
// out of blocks, so a tree of many thousand nodes costs few allocations.
class TExprNodes {
 public:
  TExprNodes() = default;
  ~TExprNodes();
  TExprNodes(const TExprNodes&) = delete;
  TExprNodes& operator=(const TExprNodes&) = delete;

  // Frees every node (without recursion, however long the tree); no root.
  void Clear();
  // A new node of |kind| owned by this list.
  TExprNode* NewNode(TExprNodeKind kind);

  TExprNode* Root() const { return root_; }
  void SetRoot(TExprNode* root) { root_ = root; }
  TExprNode* First() const { return first_; }

 private:
  static constexpr size_t kNodesPerBlock = 256;

  TExprNode* first_ = nullptr;
  TExprNode* root_ = nullptr;
  std::vector<TExprNode*> blocks_;  // raw storage for kNodesPerBlock nodes each
  size_t used_in_last_block_ = kNodesPerBlock;
};

// A field's value handed out by FieldValue.
using TFilterValue = std::variant<std::monostate, bool, int64_t, double, std::string>;

// The node list, compilation and evaluation, independent of the grammar.
class TExprParserBase : public TSyntaxParserBase {
 public:
  TExprParserBase();
  ~TExprParserBase() override;

  // Parses an expression from the current token on; returns its node.
  virtual TExprNode* ParseExpression() = 0;
  // The TFieldType of the field |name|.
  virtual int FieldDataType(const std::string& name) = 0;
  // The value of the field |name| in the record under test.
  virtual TFilterValue FieldValue(const std::string& name) = 0;
  // The result type of the function |name| (ftUnknown when none).
  virtual int FunctionResultType(const std::string& name) = 0;
  // True when |name| names a function.
  virtual bool IsFunctionName(const std::string& name);
  // Raises EDatabaseError "Filter expression incorrectly terminated" unless
  // the current token is the end of the text.
  virtual void CheckTextEnd();
  // Compiles |text| into a new tree, freeing the previous one. Raises the
  // language's errors (EDatabaseError, EConvertError); after an error there
  // is no tree to evaluate until the next successful compilation.
  virtual void Compile(const std::string& text);
  // Evaluates the tree for the record under test with |options|: true when
  // the record passes (a condition that holds; a bare value that is not zero
  // or not empty). Raises EZeroDivide for a division by zero and passes on
  // the dataset's errors; EDatabaseError when nothing is compiled.
  virtual bool Evaluate(TFilterOptions options);

  TExprNodes& Nodes() { return nodes_; }
  // True once a compilation has succeeded (and none has failed since).
  bool Compiled() const { return nodes_.Root() != nullptr; }

 protected:
  // The bytes of field |field_index| in the record under test.
  virtual const uint8_t* FieldData(int field_index) = 0;
  // The text of blob field |field_index| in the record under test.
  virtual void ReadBlobText(int field_index, std::string* text) = 0;
  // The same as a view (see TFilterDataSource::BlobText).
  virtual std::string_view BlobText(int field_index, std::string* scratch) {
    ReadBlobText(field_index, scratch);
    return *scratch;
  }

  TExprNodes nodes_;
  TFilterOptions options_ = 0;
  // The settings in force for the compilation in progress.
  TLocaleSettings locale_;

 private:
  friend class TExprEvaluator;
};

// The filter language over the fields of one dataset.
class TFilterParser : public TExprParserBase {
 public:
  // Deepest nesting of parentheses, argument lists and IN lists; deeper
  // texts fail with EDatabaseError "Filter expression nested too deeply".
  // Compiling at this depth takes about 1 MB of stack. Runs of one operator
  // ("id = 1 OR id = 2 OR ...") are not nesting and have no limit.
  static constexpr int kMaxNestingDepth = 1000;
  // Characters kept of a string constant; the rest is dropped.
  static constexpr size_t kMaxStringLength = 256;

  // |dataset| must outlive the parser.
  explicit TFilterParser(TFilterDataSource* dataset);

  size_t ScanToken(size_t pos) override;
  TExprNode* ParseExpression() override;
  int FieldDataType(const std::string& name) override;
  TFilterValue FieldValue(const std::string& name) override;
  int FunctionResultType(const std::string& name) override;
  bool IsFunctionName(const std::string& name) override;

 protected:
  const uint8_t* FieldData(int field_index) override;
  void ReadBlobText(int field_index, std::string* text) override;
  std::string_view BlobText(int field_index, std::string* scratch) override;

 private:
  size_t ScanNumber(size_t pos);
  size_t ScanString(size_t pos);
  size_t ScanIdentifier(size_t pos);
  size_t ScanBracketedName(size_t pos);

  TExprNode* ParseNested();
  TExprNode* ParseAndTerm();
  TExprNode* ParseNotTerm();
  TExprNode* ParseComparison();
  TExprNode* ParseSum();
  TExprNode* ParseProduct();
  TExprNode* ParseFactor();
  TExprNode* ParseFunctionCall(TExprFunction function, const std::string& name);
  void ParseList(std::vector<TExprNode*>* items);
  // The index of field |name|; raises the dataset's "Field '%s' not found".
  int FindField(const std::string& name) const;
  TExprNode* FieldNode(const std::string& name);
  TExprNode* NumberNode(const std::string& text);
  TExprNode* StringNode(const std::string& value);
  TExprNode* OperatorNode(TExprOperator op, TExprNode* left, TExprNode* right);

  // Type checks; each raises "Type mismatch in expression" (or a date
  // conversion error) and may turn date-like constants into dates.
  void CheckLogical(TExprNode* node);
  void CheckComparison(TExprNode* node);
  void CheckLike(TExprNode* node);
  void CheckIn(TExprNode* node);
  void CheckArithmetic(TExprNode* node);
  void CheckFunction(TExprNode* node);
  bool IsDateLikeConstant(const TExprNode* node) const;
  void ConvertDateConstant(TExprNode* node, int target_type) const;

  [[noreturn]] void Fail(const std::string& message) const;
  [[noreturn]] void FailExpected(const std::string& pattern) const;

  TFilterDataSource* dataset_;
  int depth_ = 0;
};

}  // namespace tinydb
