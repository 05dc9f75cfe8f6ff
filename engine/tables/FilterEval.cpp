// Evaluating a compiled filter for the record under test.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/Calendar.h"
#include "storage/ValueCompare.h"
#include "tables/FilterParser.h"
#include "tables/FilterTypes.h"

namespace tinydb {

namespace {

template <typename T>
T Load(const uint8_t* data) {
  T value;
  std::memcpy(&value, data, sizeof(T));
  return value;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

int64_t IntegerOf(const TExprNode* node) {
  switch (node->DataType) {
    case ftSmallint: return Load<int16_t>(node->Data);
    case ftWord: return Load<uint16_t>(node->Data);
    case ftLargeint: return Load<int64_t>(node->Data);
    default: return Load<int32_t>(node->Data);
  }
}

double FloatOf(const TExprNode* node) {
  if (node->DataType == ftFloat || node->DataType == ftCurrency) {
    return Load<double>(node->Data);
  }
  return static_cast<double>(IntegerOf(node));
}

// A number's whole part, truncated towards zero (floats beyond 64 bits are
// held at the limits, NaN counts as 0).
int64_t WholePartOf(const TExprNode* node) {
  if (node->DataType != ftFloat && node->DataType != ftCurrency) return IntegerOf(node);
  double value = std::trunc(Load<double>(node->Data));
  if (std::isnan(value)) return 0;
  if (value >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

// |a| + |n| and |a| - |n| wrapped to 32 bits, for any 64-bit |n| (only the
// low 32 bits of |n| reach the result, so nothing overflows on the way).
int32_t AddWrap32(int32_t a, int64_t n) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(n));
}
int32_t SubWrap32(int32_t a, int64_t n) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(n));
}

// A temporal value in milliseconds: a date at its midnight.
double MillisecondsOf(const TExprNode* node) {
  switch (node->DataType) {
    case ftDate: return static_cast<double>(Load<int32_t>(node->Data)) * kMsPerDay;
    case ftTime: return Load<int32_t>(node->Data);
    default: return Load<double>(node->Data);
  }
}

// Truth of a boolean value: a field's stored 16-bit word, or the first byte
// of a computed value.
bool IsTrue(const TExprNode* node) {
  if (node->Kind == enField) return Load<int16_t>(node->Data) != 0;
  return node->Data[0] != 0;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

}  // namespace

namespace {

// Whether |value| holds |word| (no wildcards) anywhere, comparing letters as
// LikeMatch does.
bool ContainsWord(std::string_view value, std::string_view word, bool ignore_case) {
  if (word.size() > value.size()) return false;
  const size_t last = value.size() - word.size();
  // Candidates are found by memchr for the first letter in each case.
  const char upper = ignore_case ? AsciiUpper(word[0]) : word[0];
  const char lower = ignore_case ? AsciiLower(word[0]) : word[0];
  constexpr size_t kNone = std::string_view::npos;
  const char* const data = value.data();
  auto next_of = [&](char c, size_t from) {
    const void* hit = std::memchr(data + from, c, last + 1 - from);
    return hit == nullptr ? kNone : static_cast<size_t>(static_cast<const char*>(hit) - data);
  };
  // The next place of each case of the first letter at or after v.
  size_t next_upper = next_of(upper, 0);
  size_t next_lower = upper == lower ? kNone : next_of(lower, 0);
  size_t v = 0;
  while (v <= last) {
    if (next_upper != kNone && next_upper < v) next_upper = next_of(upper, v);
    if (next_lower != kNone && next_lower < v) next_lower = next_of(lower, v);
    v = std::min(next_upper, next_lower);
    if (v == kNone) return false;
    size_t k = 1;
    while (k < word.size() &&
           (value[v + k] == word[k] ||
            (ignore_case && AsciiUpper(value[v + k]) == AsciiUpper(word[k]))))
      ++k;
    if (k == word.size()) return true;
    ++v;
  }
  return false;
}

}  // namespace

bool LikeMatch(std::string_view value, std::string_view pattern, bool ignore_case) {
  // '%word%', the commonest pattern, is a plain search for the word.
  if (pattern.size() >= 3 && pattern.front() == '%' && pattern.back() == '%') {
    const std::string_view word = pattern.substr(1, pattern.size() - 2);
    if (word.find_first_of("%_") == std::string_view::npos)
      return ContainsWord(value, word, ignore_case);
  }
  // A pattern that ends in two or more '%' is read as its body followed by
  // "_%": the value must go on for at least one more character.
  size_t body = pattern.size();
  while (body > 0 && pattern[body - 1] == '%') --body;
  const size_t trailing = pattern.size() - body;
  const size_t length = body + (trailing == 0 ? 0 : trailing == 1 ? 1 : 2);
  auto pattern_at = [&](size_t i) -> char {
    if (i < body) return pattern[i];
    return trailing >= 2 && i == body ? '_' : '%';
  };
  auto same = [ignore_case](char a, char b) {
    return a == b || (ignore_case && AsciiUpper(a) == AsciiUpper(b));
  };
  // Greedy match that returns to the last '%' on a mismatch: that '%' then
  // takes one more character.
  size_t v = 0, p = 0;
  size_t star = std::string_view::npos, star_value = 0;
  while (v < value.size()) {
    if (p < length) {
      char c = pattern_at(p);
      if (c == '%') {
        star = p++;
        star_value = v;
        continue;
      }
      if (c == '_' || same(c, value[v])) {
        ++p;
        ++v;
        continue;
      }
    }
    if (star == std::string_view::npos) return false;
    p = star + 1;
    v = ++star_value;
  }
  while (p < length && pattern_at(p) == '%') ++p;
  return p == length;
}

// Evaluation of one tree with one set of options.
class TExprEvaluator {
 public:
  TExprEvaluator(TExprParserBase* parser, TFilterOptions options)
      : parser_(parser),
        case_insensitive_((options & foCaseInsensitive) != 0),
        no_partial_compare_((options & foNoPartialCompare) != 0) {}

  void Evaluate(TExprNode* node) {
    switch (node->Kind) {
      case enField:
        if (node->IsBlob) {
          parser_->ReadBlobText(node->FieldIndex, &node->Text);
          node->SetTextValue();
        } else if (node->Data == nullptr) {
          node->Data = parser_->FieldData(node->FieldIndex);
        }
        return;
      case enConst:
        return;
      case enFunc:
        for (TExprNode* arg : node->Args) Evaluate(arg);
        ComputeFunction(node);
        return;
      case enOperator:
        if (node->Chain.empty()) {
          if (!BlobLike(node)) Evaluate(node->Left);
          EvaluateOperator(node);
        } else {
          // A left-deep run: its innermost left operand first, then each
          // node of the run upwards.
          if (!BlobLike(node->Chain.front())) Evaluate(node->Chain.front()->Left);
          for (TExprNode* link : node->Chain) EvaluateOperator(link);
        }
        return;
    }
  }

 private:
  // A LIKE whose left operand is a blob field: that operand is not
  // evaluated ahead (no copy of its text), the match reads it.
  static bool BlobLike(const TExprNode* node) {
    return node->Operator == toLIKE && node->Left != nullptr && node->Left->Kind == enField &&
           node->Left->IsBlob;
  }

  // Evaluates the rest of |node| once its left operand has its value.
  void EvaluateOperator(TExprNode* node) {
    TExprNode* left = node->Left;
    TExprNode* right = node->Right;
    switch (node->Operator) {
      case toNOT:
        node->SetBoolean(!IsTrue(left));
        return;
      case toAND:
        if (!IsTrue(left)) {
          node->SetBoolean(false);
        } else {
          Evaluate(right);
          node->SetBoolean(IsTrue(right));
        }
        return;
      case toOR:
        if (IsTrue(left)) {
          node->SetBoolean(true);
        } else {
          Evaluate(right);
          node->SetBoolean(IsTrue(right));
        }
        return;
      case toIN: {
        for (TExprNode* element : node->Args) Evaluate(element);
        bool found = false;
        for (TExprNode* element : node->Args) {
          if (Compare(left, element) == TCompareOutcome::Equal) {
            found = true;
            break;
          }
        }
        node->SetBoolean(found);
        return;
      }
      default:
        break;
    }
    Evaluate(right);
    switch (node->Operator) {
      case toEQ: node->SetBoolean(Compare(left, right) == TCompareOutcome::Equal); return;
      case toNE: node->SetBoolean(Compare(left, right) != TCompareOutcome::Equal); return;
      case toLT: node->SetBoolean(Compare(left, right) == TCompareOutcome::Less); return;
      case toGE: node->SetBoolean(Compare(left, right) != TCompareOutcome::Less); return;
      case toGT: node->SetBoolean(Compare(left, right) == TCompareOutcome::Greater); return;
      case toLE: node->SetBoolean(Compare(left, right) != TCompareOutcome::Greater); return;
      case toLIKE:
        if (BlobLike(node)) {
          // The blob's text is matched where the dataset holds it, read
          // after the pattern (whose evaluation might read the dataset);
          // as TextValue, it ends at its first zero byte.
          std::string_view text = parser_->BlobText(left->FieldIndex, &left->Text);
          text = text.substr(0, text.find('\0'));
          node->SetBoolean(LikeMatch(text, right->TextValue(), case_insensitive_));
          return;
        }
        node->SetBoolean(LikeMatch(left->TextValue(), right->TextValue(), case_insensitive_));
        return;
      default:
        ComputeArithmetic(node);
        return;
    }
  }

  TCompareOutcome Compare(const TExprNode* left, const TExprNode* right) const {
    TValueRef l{left->DataType, left->Data, -1};
    TValueRef r{right->DataType, right->Data, right->PartialLength};
    return CompareValues(l, r, case_insensitive_, no_partial_compare_);
  }

  void ComputeArithmetic(TExprNode* node) {
    const TExprNode* left = node->Left;
    const TExprNode* right = node->Right;
    const TExprOperator op = node->Operator;
    const int lt = left->DataType;
    const int rt = right->DataType;
    if (op == toDIV) {
      double divisor = FloatOf(right);
      if (divisor == 0) throw EZeroDivide();
      node->SetDouble(FloatOf(left) / divisor);
      return;
    }
    if (IsNumericClass(lt) && IsNumericClass(rt)) {
      switch (node->DataType) {
        case ftFloat: case ftCurrency: {
          double a = FloatOf(left), b = FloatOf(right);
          node->SetDouble(op == toADD ? a + b : op == toSUB ? a - b : a * b);
          return;
        }
        default: {
          // Unsigned arithmetic wraps around like two's complement.
          uint64_t a = static_cast<uint64_t>(IntegerOf(left));
          uint64_t b = static_cast<uint64_t>(IntegerOf(right));
          uint64_t r = op == toADD ? a + b : op == toSUB ? a - b : a * b;
          if (node->DataType == ftLargeint) {
            node->SetInt64(static_cast<int64_t>(r));
          } else {
            node->SetInt32(static_cast<int32_t>(static_cast<uint32_t>(r)));
          }
          return;
        }
      }
    }
    if (IsStringClass(lt)) {  // concatenation
      std::string_view a = left->TextValue();
      std::string_view b = right->TextValue();
      node->Text.assign(a.data(), a.size());
      node->Text.append(b.data(), b.size());
      node->SetTextValue();
      return;
    }
    // Temporal arithmetic; the right operand is temporal or a number.
    const bool by_number = IsNumericClass(rt);
    if (op == toADD) {
      int64_t n = WholePartOf(right);
      if (lt == ftDateTime) {
        node->SetDouble(Load<double>(left->Data) + static_cast<double>(n) * kMsPerDay);
      } else {  // days onto a date, milliseconds onto a time
        node->SetInt32(AddWrap32(Load<int32_t>(left->Data), n));
      }
      return;
    }
    if (node->DataType == ftInteger) {  // date - date | number, time - time | number
      int64_t b = by_number ? WholePartOf(right) : Load<int32_t>(right->Data);
      node->SetInt32(SubWrap32(Load<int32_t>(left->Data), b));
      return;
    }
    if (by_number) {  // a date-time moved back by whole days
      node->SetDouble(Load<double>(left->Data) - static_cast<double>(WholePartOf(right)) * kMsPerDay);
    } else {  // the difference in milliseconds, a date counting from its midnight
      node->SetDouble(MillisecondsOf(left) - MillisecondsOf(right));
    }
  }

  void ComputeFunction(TExprNode* node) {
    const std::vector<TExprNode*>& args = node->Args;
    switch (node->FunctionCode) {
      case fnUpper: case fnLower: {
        std::string_view text = args[0]->TextValue();
        node->Text.assign(text.data(), text.size());
        for (char& c : node->Text) c = node->FunctionCode == fnUpper ? AsciiUpper(c) : AsciiLower(c);
        node->SetTextValue();
        return;
      }
      case fnSubstring: {
        std::string_view text = args[0]->TextValue();
        int64_t start = Load<int32_t>(args[1]->Data);
        int64_t count = Load<int32_t>(args[2]->Data);
        if (start < 1) start = 1;
        const int64_t size = static_cast<int64_t>(text.size());
        if (count <= 0 || start > size) {
          node->Text.clear();
        } else {
          if (count > size - start + 1) count = size - start + 1;
          node->Text.assign(text.data() + start - 1, static_cast<size_t>(count));
        }
        node->SetTextValue();
        return;
      }
      case fnTrim: case fnTrimLeft: case fnTrimRight: {
        std::string_view text = args[0]->TextValue();
        size_t first = 0, last = text.size();
        if (node->FunctionCode != fnTrimRight) {
          while (first < last && IsBlank(text[first])) ++first;
        }
        if (node->FunctionCode != fnTrimLeft) {
          while (last > first && IsBlank(text[last - 1])) --last;
        }
        node->Text.assign(text.data() + first, last - first);
        node->SetTextValue();
        return;
      }
      case fnYear: case fnMonth: case fnDay: {
        int32_t day;
        if (args[0]->DataType == ftDate) {
          day = Load<int32_t>(args[0]->Data);
        } else {
          int32_t ms;
          SplitDateTime(Load<double>(args[0]->Data), &day, &ms);
        }
        int y, m, d;
        DecodeDate(day, &y, &m, &d);
        node->SetInt32(node->FunctionCode == fnYear ? y : node->FunctionCode == fnMonth ? m : d);
        return;
      }
      case fnHour: case fnMinute: case fnSecond: {
        int32_t ms;
        if (args[0]->DataType == ftTime) {
          ms = Load<int32_t>(args[0]->Data);
        } else {
          int32_t day;
          SplitDateTime(Load<double>(args[0]->Data), &day, &ms);
        }
        int h, m, s, milli;
        DecodeTime(ms, &h, &m, &s, &milli);
        node->SetInt32(node->FunctionCode == fnHour ? h : node->FunctionCode == fnMinute ? m : s);
        return;
      }
      default:
        return;  // GETDATE became a constant when it was compiled
    }
  }

  TExprParserBase* parser_;
  bool case_insensitive_;
  bool no_partial_compare_;
};

bool TExprParserBase::Evaluate(TFilterOptions options) {
  TExprNode* root = nodes_.Root();
  if (root == nullptr) throw EDatabaseError("Filter expression not compiled");
  options_ = options;
  TExprEvaluator(this, options).Evaluate(root);
  // A condition gives its truth; any other value passes when it is not zero
  // (numbers, dates, times) or not empty (texts).
  const int type = root->DataType;
  if (IsBooleanClass(type)) return IsTrue(root);
  if (IsStringClass(type)) return root->Data[0] != 0;
  if (type == ftFloat || type == ftCurrency || type == ftDateTime) {
    return Load<double>(root->Data) != 0;
  }
  if (IsNumericClass(type)) return IntegerOf(root) != 0;
  if (type == ftDate || type == ftTime) return Load<int32_t>(root->Data) != 0;
  return root->Data[0] != 0;
}

}  // namespace tinydb
