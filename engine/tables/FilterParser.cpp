// Compiling a filter text: grammar, field binding and type rules.
#include "tables/FilterParser.h"

#include <cstring>

#include "platform/Calendar.h"
#include "platform/Errors.h"
#include "tables/FilterTypes.h"

namespace tinydb {

namespace {

const char kTypeMismatch[] = "Type mismatch in expression";

struct TFunctionInfo {
  const char* Name;
  TExprFunction Code;
  int ResultType;
};

const TFunctionInfo kFunctions[] = {
    {"UPPER", fnUpper, ftString},       {"LOWER", fnLower, ftString},
    {"SUBSTRING", fnSubstring, ftString}, {"TRIM", fnTrim, ftString},
    {"TRIMLEFT", fnTrimLeft, ftString}, {"TRIMRIGHT", fnTrimRight, ftString},
    {"YEAR", fnYear, ftInteger},        {"MONTH", fnMonth, ftInteger},
    {"DAY", fnDay, ftInteger},          {"HOUR", fnHour, ftInteger},
    {"MINUTE", fnMinute, ftInteger},    {"SECOND", fnSecond, ftInteger},
    {"GETDATE", fnGetDate, ftDateTime},
};

// |text| equals the upper-case |word| ignoring ASCII case.
bool IsWord(const std::string& text, const char* word) {
  size_t n = std::strlen(word);
  if (text.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
    if (c != word[i]) return false;
  }
  return true;
}

const TFunctionInfo* FindFunction(const std::string& name) {
  for (const TFunctionInfo& info : kFunctions) {
    if (IsWord(name, info.Name)) return &info;
  }
  return nullptr;
}

// The rank of a numeric type for the result of arithmetic.
int NumericRank(int type) {
  switch (type) {
    case ftSmallint: return 0;
    case ftWord: return 1;
    case ftInteger: case ftAutoInc: return 2;
    case ftLargeint: return 3;
    case ftFloat: return 4;
    default: return 5;  // ftCurrency
  }
}

// |text| as a 32-bit signed decimal integer ([-]digits).
bool ParseInt32(const std::string& text, int32_t* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i == text.size()) return false;
  int64_t n = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
    if (n > 2147483648LL) return false;
  }
  if (negative) n = -n;
  if (n > 2147483647LL) return false;
  *value = static_cast<int32_t>(n);
  return true;
}

// Nesting counter for one level of parentheses or list.
class TDepthGuard {
 public:
  explicit TDepthGuard(int* depth) : depth_(depth) { ++*depth_; }
  ~TDepthGuard() { --*depth_; }

 private:
  int* depth_;
};

}  // namespace

// ---- TExprParserBase ----

TExprParserBase::TExprParserBase() = default;

TExprParserBase::~TExprParserBase() = default;

bool TExprParserBase::IsFunctionName(const std::string&) { return false; }

void TExprParserBase::CheckTextEnd() {
  if (token_ != TTokenKind::End) throw EDatabaseError("Filter expression incorrectly terminated");
}

void TExprParserBase::Compile(const std::string& text) {
  nodes_.Clear();
  locale_ = LocaleSettings();
  StartText(text);
  NextToken();
  TExprNode* root = ParseExpression();
  CheckTextEnd();
  nodes_.SetRoot(root);
}

// ---- TFilterParser ----

TFilterParser::TFilterParser(TFilterDataSource* dataset) : dataset_(dataset) {}

bool TFilterParser::IsFunctionName(const std::string& name) { return FindFunction(name) != nullptr; }

int TFilterParser::FunctionResultType(const std::string& name) {
  const TFunctionInfo* info = FindFunction(name);
  return info != nullptr ? info->ResultType : ftUnknown;
}

int TFilterParser::FieldDataType(const std::string& name) {
  return dataset_->FieldDataType(FindField(name));
}

const uint8_t* TFilterParser::FieldData(int field_index) { return dataset_->FieldData(field_index); }

void TFilterParser::ReadBlobText(int field_index, std::string* text) {
  dataset_->ReadBlobText(field_index, text);
}

std::string_view TFilterParser::BlobText(int field_index, std::string* scratch) {
  return dataset_->BlobText(field_index, scratch);
}

TFilterValue TFilterParser::FieldValue(const std::string& name) {
  int index = dataset_->FindFieldIndex(name);
  if (index < 0) return TFilterValue();
  if (dataset_->FieldIsBlob(index)) {
    std::string text;
    dataset_->ReadBlobText(index, &text);
    return text;
  }
  const uint8_t* data = dataset_->FieldData(index);
  auto load = [data](auto value) {
    std::memcpy(&value, data, sizeof value);
    return value;
  };
  switch (dataset_->FieldDataType(index)) {
    case ftSmallint: return static_cast<int64_t>(load(int16_t()));
    case ftWord: return static_cast<int64_t>(load(uint16_t()));
    case ftInteger: case ftAutoInc: case ftDate: case ftTime:
      return static_cast<int64_t>(load(int32_t()));
    case ftLargeint: return load(int64_t());
    case ftFloat: case ftCurrency: case ftDateTime: return load(double());
    case ftBoolean: return load(int16_t()) != 0;
    case ftString: case ftFixedChar: return std::string(reinterpret_cast<const char*>(data));
    default: return TFilterValue();
  }
}

void TFilterParser::Fail(const std::string& message) const { throw EDatabaseError(message); }

void TFilterParser::FailExpected(const std::string& pattern) const {
  std::string found = token_ == TTokenKind::End ? "nothing" : "'" + token_text_ + "'";
  throw EDatabaseError(FormatMessage(pattern, found));
}

TExprNode* TFilterParser::ParseNested() {
  TDepthGuard guard(&depth_);
  if (depth_ > kMaxNestingDepth) Fail("Filter expression nested too deeply");
  return ParseExpression();
}

TExprNode* TFilterParser::ParseExpression() {
  TExprNode* left = ParseAndTerm();
  std::vector<TExprNode*> chain;
  while (token_ == TTokenKind::Identifier && IsWord(token_text_, "OR")) {
    NextToken();
    TExprNode* right = ParseAndTerm();
    left = OperatorNode(toOR, left, right);
    CheckLogical(left);
    chain.push_back(left);
  }
  if (chain.size() > 1) left->Chain = std::move(chain);
  return left;
}

TExprNode* TFilterParser::ParseAndTerm() {
  TExprNode* left = ParseNotTerm();
  std::vector<TExprNode*> chain;
  while (token_ == TTokenKind::Identifier && IsWord(token_text_, "AND")) {
    NextToken();
    TExprNode* right = ParseNotTerm();
    left = OperatorNode(toAND, left, right);
    CheckLogical(left);
    chain.push_back(left);
  }
  if (chain.size() > 1) left->Chain = std::move(chain);
  return left;
}

TExprNode* TFilterParser::ParseNotTerm() {
  if (token_ == TTokenKind::Identifier && IsWord(token_text_, "NOT")) {
    NextToken();
    TExprNode* node = OperatorNode(toNOT, ParseComparison(), nullptr);
    CheckLogical(node);
    return node;
  }
  return ParseComparison();
}

TExprNode* TFilterParser::ParseComparison() {
  TExprNode* left = ParseSum();
  TExprOperator op;
  switch (token_) {
    case TTokenKind::Equal: op = toEQ; break;
    case TTokenKind::NotEqual: op = toNE; break;
    case TTokenKind::Less: op = toLT; break;
    case TTokenKind::Greater: op = toGT; break;
    case TTokenKind::LessEqual: op = toLE; break;
    case TTokenKind::GreaterEqual: op = toGE; break;
    case TTokenKind::Like: op = toLIKE; break;
    case TTokenKind::In: {
      NextToken();
      if (token_ != TTokenKind::LeftParen) FailExpected("'(' expected but %s found");
      NextToken();
      if (token_ == TTokenKind::RightParen) Fail("IN predicate list may not be empty");
      TExprNode* node = OperatorNode(toIN, left, nullptr);
      ParseList(&node->Args);
      CheckIn(node);
      return node;
    }
    default:
      return left;
  }
  NextToken();
  TExprNode* node = OperatorNode(op, left, ParseSum());
  if (op == toLIKE) {
    CheckLike(node);
  } else {
    CheckComparison(node);
  }
  return node;
}

TExprNode* TFilterParser::ParseSum() {
  TExprNode* left = ParseProduct();
  std::vector<TExprNode*> chain;
  while (token_ == TTokenKind::Plus || token_ == TTokenKind::Minus) {
    TExprOperator op = token_ == TTokenKind::Plus ? toADD : toSUB;
    NextToken();
    TExprNode* right = ParseProduct();
    left = OperatorNode(op, left, right);
    CheckArithmetic(left);
    chain.push_back(left);
  }
  if (chain.size() > 1) left->Chain = std::move(chain);
  return left;
}

TExprNode* TFilterParser::ParseProduct() {
  TExprNode* left = ParseFactor();
  std::vector<TExprNode*> chain;
  while (token_ == TTokenKind::Multiply || token_ == TTokenKind::Divide) {
    TExprOperator op = token_ == TTokenKind::Multiply ? toMUL : toDIV;
    NextToken();
    TExprNode* right = ParseFactor();
    left = OperatorNode(op, left, right);
    CheckArithmetic(left);
    chain.push_back(left);
  }
  if (chain.size() > 1) left->Chain = std::move(chain);
  return left;
}

TExprNode* TFilterParser::ParseFactor() {
  TExprNode* node;
  switch (token_) {
    case TTokenKind::Identifier: {
      const TFunctionInfo* function = FindFunction(token_text_);
      if (function != nullptr) {
        size_t after = pos_;
        while (after < text_.size() && static_cast<unsigned char>(text_[after]) < 33) ++after;
        if (CharAt(after) == '(') return ParseFunctionCall(function->Code, token_text_);
      }
      if (IsWord(token_text_, "TRUE") || IsWord(token_text_, "FALSE")) {
        node = nodes_.NewNode(enConst);
        node->DataType = ftBoolean;
        node->SetBoolean(IsWord(token_text_, "TRUE"));
      } else {
        node = FieldNode(token_text_);
      }
      break;
    }
    case TTokenKind::BracketedName:
      node = FieldNode(token_text_);
      break;
    case TTokenKind::Number:
      node = NumberNode(token_text_);
      break;
    case TTokenKind::String:
      node = StringNode(token_text_);
      break;
    case TTokenKind::LeftParen:
      NextToken();
      node = ParseNested();
      if (token_ != TTokenKind::RightParen) FailExpected("')' expected but %s found");
      break;
    default:
      FailExpected("Expression expected but %s found");
  }
  NextToken();
  return node;
}

TExprNode* TFilterParser::ParseFunctionCall(TExprFunction function, const std::string& name) {
  TExprNode* node = nodes_.NewNode(enFunc);
  node->FunctionCode = function;
  node->Name = name;
  NextToken();  // the '('
  NextToken();
  if (token_ == TTokenKind::RightParen) {
    NextToken();
  } else {
    ParseList(&node->Args);
  }
  CheckFunction(node);
  return node;
}

void TFilterParser::ParseList(std::vector<TExprNode*>* items) {
  TDepthGuard guard(&depth_);
  if (depth_ > kMaxNestingDepth) Fail("Filter expression nested too deeply");
  for (;;) {
    items->push_back(ParseExpression());
    if (token_ == TTokenKind::RightParen) break;
    if (token_ != TTokenKind::Comma) FailExpected("')' or ',' expected but %s found");
    NextToken();
    if (token_ == TTokenKind::RightParen) break;
    if (token_ == TTokenKind::End) FailExpected("')' expected but %s found");
  }
  NextToken();  // the ')'
}

int TFilterParser::FindField(const std::string& name) const {
  int index = dataset_->FindFieldIndex(name);
  if (index < 0) {
    std::string message = FormatMessage(kFieldNotFound, name);
    std::string component = dataset_->ComponentName();
    if (!component.empty()) message = component + ": " + message;
    throw EDatabaseError(message);
  }
  return index;
}

TExprNode* TFilterParser::FieldNode(const std::string& name) {
  int index = FindField(name);
  TExprNode* node = nodes_.NewNode(enField);
  node->Name = name;
  node->FieldIndex = index;
  node->DataType = dataset_->FieldDataType(index);
  node->IsBlob = dataset_->FieldIsBlob(index);
  return node;
}

TExprNode* TFilterParser::NumberNode(const std::string& text) {
  TExprNode* node = nodes_.NewNode(enConst);
  int32_t integer;
  if (ParseInt32(text, &integer)) {
    node->DataType = ftInteger;
    node->SetInt32(integer);
    return node;
  }
  double value;
  if (!TryTextToFloat(text, locale_.DecimalSeparator, &value)) {
    throw EConvertError(FormatMessage("'%s' is not a valid floating point value", text));
  }
  node->DataType = ftFloat;
  node->SetDouble(value);
  return node;
}

TExprNode* TFilterParser::StringNode(const std::string& value) {
  TExprNode* node = nodes_.NewNode(enConst);
  node->DataType = ftString;
  node->Text = value;
  node->SetTextValue();
  size_t star = value.find('*');
  node->PartialLength = star == std::string::npos ? -1 : static_cast<int>(star);
  return node;
}

TExprNode* TFilterParser::OperatorNode(TExprOperator op, TExprNode* left, TExprNode* right) {
  TExprNode* node = nodes_.NewNode(enOperator);
  node->Operator = op;
  node->Left = left;
  node->Right = right;
  node->DataType = ftBoolean;
  return node;
}

// ---- Type rules ----

namespace {

// The fixed date form: month/day/year, "hh:mm:ss" times; the locale gives
// only the decimal separator, the markers and the two-digit-year window.
TDateTimeSyntax FixedDateSyntax(const TLocaleSettings& locale) {
  TDateTimeSyntax syntax = DateTimeSyntaxOf(locale);
  syntax.Order = TDateOrder::MDY;
  syntax.DateSeparator = '/';
  syntax.TimeSeparator = ':';
  syntax.TwoPartDates = false;
  return syntax;
}

}  // namespace

bool TFilterParser::IsDateLikeConstant(const TExprNode* node) const {
  if (node->Kind != enConst || node->DataType != ftString) return false;
  double value;
  return TryTextToDateTime(node->Text, FixedDateSyntax(locale_), &value) ||
         TryTextToDateTime(node->Text, DateTimeSyntaxOf(locale_), &value);
}

void TFilterParser::ConvertDateConstant(TExprNode* node, int target_type) const {
  const TDateTimeSyntax fixed = FixedDateSyntax(locale_);
  const TDateTimeSyntax local = DateTimeSyntaxOf(locale_);
  const std::string& text = node->Text;
  switch (target_type) {
    case ftDate: {
      int32_t day;
      if (!TryTextToDate(text, fixed, &day) && !TryTextToDate(text, local, &day)) {
        throw EConvertError(FormatMessage("'%s' is not a valid date", text));
      }
      node->SetInt32(day);
      break;
    }
    case ftTime: {
      int32_t ms;
      if (!TryTextToTime(text, fixed, &ms) && !TryTextToTime(text, local, &ms)) {
        throw EConvertError(FormatMessage("'%s' is not a valid time", text));
      }
      node->SetInt32(ms);
      break;
    }
    default: {
      double value;
      if (!TryTextToDateTime(text, fixed, &value) && !TryTextToDateTime(text, local, &value)) {
        throw EConvertError(FormatMessage("'%s' is not a valid date and time", text));
      }
      node->SetDouble(value);
      break;
    }
  }
  node->DataType = target_type;
  node->PartialLength = -1;
}

void TFilterParser::CheckLogical(TExprNode* node) {
  bool ok = IsBooleanClass(node->Left->DataType) &&
            (node->Right == nullptr || IsBooleanClass(node->Right->DataType));
  if (!ok) Fail(kTypeMismatch);
}

void TFilterParser::CheckComparison(TExprNode* node) {
  TExprNode* left = node->Left;
  TExprNode* right = node->Right;
  const int lt = left->DataType;
  const int rt = right->DataType;
  bool ok = false;
  if (IsNumericClass(lt)) {
    ok = IsNumericClass(rt);
  } else if (IsTemporalClass(lt)) {
    if (IsTemporalClass(rt)) {
      ok = true;
    } else if (IsDateLikeConstant(right)) {
      ConvertDateConstant(right, lt);
      ok = true;
    }
  } else if (IsStringClass(lt)) {
    if (IsStringClass(rt)) {
      ok = true;
    } else if (IsTemporalClass(rt) && IsDateLikeConstant(left)) {
      ConvertDateConstant(left, rt);
      ok = true;
    }
  } else if (IsBooleanClass(lt)) {
    ok = IsBooleanClass(rt) && (node->Operator == toEQ || node->Operator == toNE);
  }
  if (!ok) Fail(kTypeMismatch);
}

void TFilterParser::CheckLike(TExprNode* node) {
  if (!IsStringClass(node->Left->DataType) || !IsStringClass(node->Right->DataType)) {
    Fail(kTypeMismatch);
  }
}

void TFilterParser::CheckIn(TExprNode* node) {
  const int lt = node->Left->DataType;
  for (TExprNode* element : node->Args) {
    const int et = element->DataType;
    bool ok = true;
    if (IsNumericClass(lt)) {
      ok = IsNumericClass(et);
    } else if (IsStringClass(lt)) {
      ok = IsStringClass(et);
    } else if (IsTemporalClass(lt)) {
      if (!IsTemporalClass(et)) {
        ok = IsDateLikeConstant(element);
        if (ok) ConvertDateConstant(element, lt);
      }
    } else if (IsBooleanClass(lt)) {
      ok = IsBooleanClass(et);
    }
    if (!ok) Fail(kTypeMismatch);
  }
}

void TFilterParser::CheckArithmetic(TExprNode* node) {
  const TExprOperator op = node->Operator;
  TExprNode* left = node->Left;
  TExprNode* right = node->Right;
  int lt = left->DataType;
  int rt = right->DataType;
  if (IsNumericClass(lt) && IsNumericClass(rt)) {
    int result = NumericRank(rt) > NumericRank(lt) ? rt : lt;
    if (result == ftSmallint || result == ftWord) result = ftInteger;
    node->DataType = op == toDIV ? ftFloat : result;
    return;
  }
  if (op == toADD && IsStringClass(lt) && IsStringClass(rt)) {
    node->DataType = ftString;
    return;
  }
  if (op == toSUB) {
    if (IsTemporalClass(lt) && IsDateLikeConstant(right)) {
      ConvertDateConstant(right, lt);
      rt = lt;
    }
    if (IsTemporalClass(rt) && IsDateLikeConstant(left)) {
      ConvertDateConstant(left, ftDateTime);
      node->DataType = ftFloat;
      return;
    }
    if (lt == ftDate && (rt == ftDate || IsNumericClass(rt))) {
      node->DataType = ftInteger;
      return;
    }
    if (lt == ftTime && (rt == ftTime || IsNumericClass(rt))) {
      node->DataType = ftInteger;
      return;
    }
    if (IsTemporalClass(lt) && (IsTemporalClass(rt) || IsNumericClass(rt))) {
      node->DataType = ftFloat;
      return;
    }
  }
  if (op == toADD && IsTemporalClass(lt) && IsNumericClass(rt)) {
    node->DataType = lt;
    return;
  }
  Fail(kTypeMismatch);
}

void TFilterParser::CheckFunction(TExprNode* node) {
  const std::vector<TExprNode*>& args = node->Args;
  auto arg_type = [&args](size_t i) { return args[i]->DataType; };
  auto integer_constant = [&args](size_t i) {
    return args[i]->Kind == enConst && args[i]->DataType == ftInteger;
  };
  bool ok = false;
  switch (node->FunctionCode) {
    case fnUpper: case fnLower: case fnTrim: case fnTrimLeft: case fnTrimRight:
      ok = args.size() == 1 && IsStringClass(arg_type(0));
      break;
    case fnSubstring:
      ok = args.size() == 3 && IsStringClass(arg_type(0)) && integer_constant(1) &&
           integer_constant(2);
      break;
    case fnYear: case fnMonth: case fnDay:
      ok = args.size() == 1 && (arg_type(0) == ftDate || arg_type(0) == ftDateTime);
      break;
    case fnHour: case fnMinute: case fnSecond:
      ok = args.size() == 1 && (arg_type(0) == ftTime || arg_type(0) == ftDateTime);
      break;
    case fnGetDate:
      ok = args.empty();
      break;
    default:
      break;
  }
  if (!ok) Fail(kTypeMismatch);
  node->DataType = FunctionResultType(node->Name);
  if (node->FunctionCode == fnGetDate) {
    // Read once: the value stands for the whole filtering pass.
    node->Kind = enConst;
    node->SetDouble(CurrentDateTime());
  }
}

}  // namespace tinydb
