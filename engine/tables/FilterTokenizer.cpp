// Cutting a filter text into tokens.
#include <cstring>

#include "tables/FilterParser.h"

namespace tinydb {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) < 33; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool SameAsciiText(const std::string& a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

[[noreturn]] void InvalidCharacter(const std::string& character) {
  throw EDatabaseError(FormatMessage("Invalid filter expression character: '%s'", character));
}

}  // namespace

void TSyntaxParserBase::StartText(const std::string& text) {
  text_ = text;
  token_text_.clear();
  token_ = TTokenKind::None;
  previous_token_ = TTokenKind::None;
  pos_ = 0;
}

void TSyntaxParserBase::NextToken() {
  previous_token_ = token_;
  pos_ = ScanToken(SkipBlanks(pos_));
}

size_t TSyntaxParserBase::SkipBlanks(size_t pos) {
  while (pos < text_.size() && IsBlank(text_[pos])) ++pos;
  if (CharAt(pos) == '/' && CharAt(pos + 1) == '*') {
    size_t star = text_.find('*', pos + 2);
    if (star == std::string::npos) InvalidCharacter("");
    if (CharAt(star + 1) != '/') InvalidCharacter("*");
    pos = star + 2;
    while (pos < text_.size() && IsBlank(text_[pos])) ++pos;
  }
  return pos;
}

size_t TFilterParser::ScanToken(size_t pos) {
  if (pos >= text_.size()) {
    token_ = TTokenKind::End;
    token_text_.clear();
    return pos;
  }
  const char c = text_[pos];
  auto single = [&](TTokenKind kind, size_t length) {
    token_ = kind;
    token_text_ = text_.substr(pos, length);
    return pos + length;
  };
  switch (c) {
    case '\'': return ScanString(pos);
    case '(': return single(TTokenKind::LeftParen, 1);
    case ')': return single(TTokenKind::RightParen, 1);
    case ',': return single(TTokenKind::Comma, 1);
    case '+': return single(TTokenKind::Plus, 1);
    case '*': return single(TTokenKind::Multiply, 1);
    case '/': return single(TTokenKind::Divide, 1);
    case '=': return single(TTokenKind::Equal, 1);
    case '[': return ScanBracketedName(pos);
    case '<':
      if (CharAt(pos + 1) == '=') return single(TTokenKind::LessEqual, 2);
      if (CharAt(pos + 1) == '>') return single(TTokenKind::NotEqual, 2);
      return single(TTokenKind::Less, 1);
    case '>':
      if (CharAt(pos + 1) == '=') return single(TTokenKind::GreaterEqual, 2);
      return single(TTokenKind::Greater, 1);
    case '-':
      // After an operand a '-' subtracts; anywhere else it starts a number.
      switch (previous_token_) {
        case TTokenKind::Identifier: case TTokenKind::BracketedName: case TTokenKind::Number:
        case TTokenKind::String: case TTokenKind::RightParen:
          return single(TTokenKind::Minus, 1);
        default:
          return ScanNumber(pos);
      }
    default:
      break;
  }
  if (IsDigit(c)) return ScanNumber(pos);
  const unsigned char byte = static_cast<unsigned char>(c);
  if (IsAsciiLetter(c) || c == '_' || (byte >= 0x81 && byte <= 0xFE)) return ScanIdentifier(pos);
  InvalidCharacter(std::string(1, c));
}

size_t TFilterParser::ScanNumber(size_t pos) {
  const size_t start = pos;
  const char separator = locale_.DecimalSeparator;
  ++pos;  // a digit or the leading '-'
  for (;;) {
    char c = CharAt(pos);
    if (pos >= text_.size()) break;
    if (IsDigit(c) || c == 'E' || c == 'e' || c == separator) {
      ++pos;
    } else if ((c == '+' || c == '-') && (text_[pos - 1] == 'E' || text_[pos - 1] == 'e')) {
      ++pos;
    } else {
      break;
    }
  }
  // "IN (1, 2)" under a comma separator: the comma before a blank separates.
  if (separator == ',' && pos - start > 1 && text_[pos - 1] == ',' && pos < text_.size() &&
      IsBlank(text_[pos])) {
    --pos;
  }
  token_ = TTokenKind::Number;
  token_text_.assign(text_, start, pos - start);
  return pos;
}

size_t TFilterParser::ScanString(size_t pos) {
  token_text_.clear();
  ++pos;  // the opening quote
  for (;;) {
    if (pos >= text_.size()) throw EDatabaseError("Unterminated string constant");
    char c = text_[pos];
    if (c == '\'') {
      if (CharAt(pos + 1) != '\'') {
        ++pos;
        break;
      }
      ++pos;  // a doubled quote stands for one
    }
    if (token_text_.size() < kMaxStringLength) token_text_ += c;
    ++pos;
  }
  token_ = TTokenKind::String;
  return pos;
}

size_t TFilterParser::ScanIdentifier(size_t pos) {
  const size_t start = pos++;
  while (pos < text_.size()) {
    char c = text_[pos];
    if (!(IsAsciiLetter(c) || IsDigit(c) || c == '_' || c == '.' || c == '[' || c == ']')) break;
    ++pos;
  }
  token_text_.assign(text_, start, pos - start);
  if (SameAsciiText(token_text_, "LIKE")) {
    token_ = TTokenKind::Like;
  } else if (SameAsciiText(token_text_, "IN")) {
    token_ = TTokenKind::In;
  } else {
    token_ = TTokenKind::Identifier;
  }
  return pos;
}

size_t TFilterParser::ScanBracketedName(size_t pos) {
  size_t close = text_.find(']', pos + 1);
  if (close == std::string::npos) throw EDatabaseError("Unterminated field name");
  token_ = TTokenKind::BracketedName;
  token_text_.assign(text_, pos + 1, close - pos - 1);
  return close + 1;
}

}  // namespace tinydb
