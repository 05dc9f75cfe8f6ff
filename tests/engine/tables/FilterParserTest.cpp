// Compiling filter texts: tokens, literals, grammar, type rules and every
// compile-time error with its text and class; the date and number
// conversions the literals rely on.
#include <gtest/gtest.h>

#include <string>

#include "platform/Calendar.h"
#include "platform/LocaleSettings.h"
#include "tables/FilterParser.h"
#include "engine/tables/FilterTestRecord.h"

namespace tinydb {
namespace {

class FilterParserTest : public ::testing::Test {
 protected:
  // Compiles |text| and returns the root of its tree.
  TExprNode* Compile(const std::string& text) {
    parser_.Compile(text);
    return parser_.Nodes().Root();
  }

  TFilterTestRecord record_;
  TFilterParser parser_{&record_};
  TScopedLocaleSettings locale_{DefaultLocaleSettings()};
};

int32_t Int32Of(const TExprNode* node) {
  int32_t v;
  std::memcpy(&v, node->Data, sizeof v);
  return v;
}

double DoubleOf(const TExprNode* node) {
  double v;
  std::memcpy(&v, node->Data, sizeof v);
  return v;
}

enum class TErrorClass { Database, Convert };

struct TErrorCase {
  const char* Text;
  TErrorClass Class;
  const char* Message;
};

TEST_F(FilterParserTest, EveryCompileErrorHasItsTextAndClass) {
  const TErrorCase cases[] = {
      // tokens
      {"name $ 'x'", TErrorClass::Database, "Invalid filter expression character: '$'"},
      {"qty = 1 ; qty = 2", TErrorClass::Database, "Invalid filter expression character: ';'"},
      {"name = 'abc", TErrorClass::Database, "Unterminated string constant"},
      {"[last name = 'x'", TErrorClass::Database, "Unterminated field name"},
      {"/* note * / qty = 1", TErrorClass::Database, "Invalid filter expression character: '*'"},
      {"/** note */ qty = 1", TErrorClass::Database, "Invalid filter expression character: '*'"},
      {"qty = 1 /* open", TErrorClass::Database, "Invalid filter expression character: ''"},
      // a second comment in a row is read as "/" and "*"
      {"qty = 1 /* a *//* b */", TErrorClass::Database, "Expression expected but '*' found"},
      // numbers
      {"- qty = 1", TErrorClass::Convert, "'-' is not a valid floating point value"},
      {"qty = 3E", TErrorClass::Convert, "'3E' is not a valid floating point value"},
      {"qty = 1.2.3", TErrorClass::Convert, "'1.2.3' is not a valid floating point value"},
      // grammar
      {"qty = 1 = 2", TErrorClass::Database, "Filter expression incorrectly terminated"},
      {"qty = 1 name", TErrorClass::Database, "Filter expression incorrectly terminated"},
      {"qty IN 1", TErrorClass::Database, "'(' expected but '1' found"},
      {"name IN 'a'", TErrorClass::Database, "'(' expected but 'a' found"},
      {"qty IN", TErrorClass::Database, "'(' expected but nothing found"},
      {"qty IN ()", TErrorClass::Database, "IN predicate list may not be empty"},
      {"qty IN (1", TErrorClass::Database, "')' or ',' expected but nothing found"},
      {"qty IN (1 2)", TErrorClass::Database, "')' or ',' expected but '2' found"},
      {"qty IN (1,", TErrorClass::Database, "')' expected but nothing found"},
      {"UPPER(name,", TErrorClass::Database, "')' expected but nothing found"},
      {"UPPER(name name) = 'A'", TErrorClass::Database,
       "')' or ',' expected but 'name' found"},
      {"(qty = 1", TErrorClass::Database, "')' expected but nothing found"},
      {"(qty = 1 qty", TErrorClass::Database, "')' expected but 'qty' found"},
      {"qty =", TErrorClass::Database, "Expression expected but nothing found"},
      {"qty = )", TErrorClass::Database, "Expression expected but ')' found"},
      {"", TErrorClass::Database, "Expression expected but nothing found"},
      {"qty <= >= 1", TErrorClass::Database, "Expression expected but '>=' found"},
      // after AND (an identifier) a '-' subtracts, so it cannot start a factor
      {"qty = 1 AND -1 = qty", TErrorClass::Database, "Expression expected but '-' found"},
      // fields
      {"NULL = 1", TErrorClass::Database, "drinkTable: Field 'NULL' not found"},
      {"NOT NOT marked", TErrorClass::Database, "drinkTable: Field 'NOT' not found"},
      {"GETDATE > d", TErrorClass::Database, "drinkTable: Field 'GETDATE' not found"},
      {"[Last Name ] = 'x'", TErrorClass::Database, "drinkTable: Field 'Last Name ' not found"},
      // types
      {"name LIKE 5", TErrorClass::Database, "Type mismatch in expression"},
      {"5 = name", TErrorClass::Database, "Type mismatch in expression"},
      {"marked > True", TErrorClass::Database, "Type mismatch in expression"},
      {"marked = 1", TErrorClass::Database, "Type mismatch in expression"},
      {"qty = 1 AND name", TErrorClass::Database, "Type mismatch in expression"},
      {"NOT qty", TErrorClass::Database, "Type mismatch in expression"},
      {"qty IN (1, 'a')", TErrorClass::Database, "Type mismatch in expression"},
      {"d IN (d2, 5)", TErrorClass::Database, "Type mismatch in expression"},
      {"1 + d = d", TErrorClass::Database, "Type mismatch in expression"},
      {"d + d2 = d", TErrorClass::Database, "Type mismatch in expression"},
      {"d * 2 = 1", TErrorClass::Database, "Type mismatch in expression"},
      {"name - 'a' = 'b'", TErrorClass::Database, "Type mismatch in expression"},
      {"name * 2 = 'b'", TErrorClass::Database, "Type mismatch in expression"},
      {"marked + 1 = 2", TErrorClass::Database, "Type mismatch in expression"},
      {"d = 'hello'", TErrorClass::Database, "Type mismatch in expression"},
      {"d + '1' = d", TErrorClass::Database, "Type mismatch in expression"},
      // functions
      {"SUBSTRING(name, 1, 1+2) = 'a'", TErrorClass::Database, "Type mismatch in expression"},
      {"SUBSTRING(name, 1) = 'a'", TErrorClass::Database, "Type mismatch in expression"},
      {"SUBSTRING(name, qty, 2) = 'a'", TErrorClass::Database, "Type mismatch in expression"},
      {"SUBSTRING(name, 1.0, 2) = 'a'", TErrorClass::Database, "Type mismatch in expression"},
      {"UPPER(qty) = 'A'", TErrorClass::Database, "Type mismatch in expression"},
      {"UPPER(name, name) = 'A'", TErrorClass::Database, "Type mismatch in expression"},
      {"LOWER() = 'a'", TErrorClass::Database, "Type mismatch in expression"},
      {"YEAR(t) = 1", TErrorClass::Database, "Type mismatch in expression"},
      {"YEAR('12/25/2003') = 1", TErrorClass::Database, "Type mismatch in expression"},
      {"HOUR(d) = 1", TErrorClass::Database, "Type mismatch in expression"},
      {"GETDATE(1) > d", TErrorClass::Database, "Type mismatch in expression"},
      // date-like constants that the target type cannot read
      {"d = '10:30'", TErrorClass::Convert, "'10:30' is not a valid date"},
      {"t = '12/25/2003'", TErrorClass::Convert, "'12/25/2003' is not a valid time"},
      {"d IN ('12/25/2003', '10:30')", TErrorClass::Convert, "'10:30' is not a valid date"},
  };
  for (const TErrorCase& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      parser_.Compile(c.Text);
      ADD_FAILURE() << "compiled";
    } catch (const EConvertError& e) {
      EXPECT_EQ(c.Class, TErrorClass::Convert);
      EXPECT_EQ(c.Message, std::string(e.what()));
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(c.Class, TErrorClass::Database);
      EXPECT_EQ(c.Message, std::string(e.what()));
    }
    EXPECT_FALSE(parser_.Compiled());
  }
}

TEST_F(FilterParserTest, FieldErrorsOfAnUnnamedDatasetHaveNoPrefix) {
  TFilterTestRecord unnamed("");
  TFilterParser parser(&unnamed);
  try {
    parser.Compile("NULL = 1");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ("Field 'NULL' not found", e.what());
  }
}

TEST_F(FilterParserTest, StringLiteralsUnquoteAndKeep256Characters) {
  EXPECT_EQ("O'Brien", Compile("name = 'O''Brien'")->Right->Text);
  EXPECT_EQ("", Compile("name = ''")->Right->Text);
  EXPECT_EQ("'", Compile("name = ''''")->Right->Text);
  std::string long_text(300, 'x');
  long_text[299] = 'y';
  EXPECT_EQ(std::string(256, 'x'), Compile("name = '" + long_text + "'")->Right->Text);
  // the partial length counts the characters before the first '*'
  EXPECT_EQ(3, Compile("name = 'Mar*'")->Right->PartialLength);
  EXPECT_EQ(0, Compile("name = '*a*'")->Right->PartialLength);
  EXPECT_EQ(-1, Compile("name = 'Mar'")->Right->PartialLength);
}

TEST_F(FilterParserTest, NumbersAndTheMinusSign) {
  struct Case {
    const char* Text;
    int Type;
    double Value;
  };
  const Case cases[] = {
      {"qty = -1", ftInteger, -1},
      {"qty = 007", ftInteger, 7},
      {"qty = 2147483647", ftInteger, 2147483647.0},
      {"qty = -2147483648", ftInteger, -2147483648.0},
      {"qty = 3000000000", ftFloat, 3e9},
      {"qty = 1e3", ftFloat, 1000},
      {"qty = 1E+3", ftFloat, 1000},
      {"qty = 25e-1", ftFloat, 2.5},
      {"qty = 1.5", ftFloat, 1.5},
      {"qty=-1", ftInteger, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    TExprNode* right = Compile(c.Text)->Right;
    ASSERT_EQ(enConst, right->Kind);
    EXPECT_EQ(c.Type, right->DataType);
    EXPECT_EQ(c.Value, c.Type == ftInteger ? Int32Of(right) : DoubleOf(right));
  }
  // after an operand '-' subtracts
  TExprNode* sub = Compile("qty - 1 = 0")->Left;
  EXPECT_EQ(toSUB, sub->Operator);
  EXPECT_EQ(toSUB, Compile("qty -1 = 0")->Left->Operator);
  EXPECT_EQ(toSUB, Compile("(qty)-1 = 0")->Left->Operator);
  TExprNode* paren = Compile("(-1) = qty")->Left;
  EXPECT_EQ(enConst, paren->Kind);
  EXPECT_EQ(-1, Int32Of(paren));
  // a '-' at the very start begins a number
  EXPECT_EQ(-5, Int32Of(Compile("-5 = qty")->Left));
}

TEST_F(FilterParserTest, ACommaDecimalSeparatorStillSeparatesListItemsBeforeABlank) {
  TLocaleSettings comma = DefaultLocaleSettings();
  comma.DecimalSeparator = ',';
  TScopedLocaleSettings scoped(comma);
  TExprNode* two = Compile("qty IN (1, 2)");
  ASSERT_EQ(2u, two->Args.size());
  EXPECT_EQ(1, Int32Of(two->Args[0]));
  EXPECT_EQ(2, Int32Of(two->Args[1]));
  TExprNode* one = Compile("abv IN (1,2)");
  ASSERT_EQ(1u, one->Args.size());
  EXPECT_EQ(ftFloat, one->Args[0]->DataType);
  EXPECT_DOUBLE_EQ(1.2, DoubleOf(one->Args[0]));
  EXPECT_DOUBLE_EQ(1.5, DoubleOf(Compile("abv = 1,5")->Right));
  try {
    Compile("abv = 1.5");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ("Invalid filter expression character: '.'", e.what());
  }
}

TEST_F(FilterParserTest, NamesFunctionsAndKeywords) {
  TExprNode* call = Compile("UPPER(name) = 'GIN'")->Left;
  EXPECT_EQ(enFunc, call->Kind);
  EXPECT_EQ(fnUpper, call->FunctionCode);
  EXPECT_EQ(ftString, call->DataType);
  EXPECT_EQ(enFunc, Compile("upper  (name) = 'GIN'")->Left->Kind);
  // a function name not followed by "(" is a field
  TExprNode* field = Compile("UPPER = 1")->Left;
  EXPECT_EQ(enField, field->Kind);
  EXPECT_EQ("UPPER", field->Name);
  EXPECT_EQ(enField, Compile("upper + 1 = 2")->Left->Left->Kind);

  TExprNode* truth = Compile("tRuE");
  EXPECT_EQ(enConst, truth->Kind);
  EXPECT_EQ(ftBoolean, truth->DataType);
  TExprNode* bracketed = Compile("[True]");
  EXPECT_EQ(enField, bracketed->Kind);
  EXPECT_EQ("True", bracketed->Name);
  EXPECT_EQ("last name", Compile("[last name] = 'x'")->Left->Name);
  EXPECT_EQ("a.b", Compile("a.b = 1")->Left->Name);
  EXPECT_EQ(toLIKE, Compile("name like 'a%'")->Operator);
  EXPECT_EQ(toIN, Compile("qty in (1)")->Operator);
  EXPECT_EQ(toOR, Compile("marked or marked")->Operator);
  EXPECT_EQ(toAND, Compile("marked And marked")->Operator);
  EXPECT_EQ(toNOT, Compile("not marked")->Operator);

  const struct {
    const char* Text;
    TExprOperator Op;
  } ops[] = {{"qty<>1", toNE}, {"qty<=1", toLE}, {"qty>=1", toGE},
             {"qty<1", toLT},  {"qty>1", toGT},  {"qty=1", toEQ}};
  for (const auto& c : ops) EXPECT_EQ(c.Op, Compile(c.Text)->Operator) << c.Text;
}

TEST_F(FilterParserTest, BlanksAndACommentBeforeAToken) {
  EXPECT_EQ(toEQ, Compile("/* all marked */ marked = True")->Operator);
  EXPECT_EQ(toEQ, Compile("\t\r\n qty\t=\n1 /* end */ ")->Operator);
  EXPECT_EQ(toAND, Compile("marked /* x */ AND marked")->Operator);
}

TEST_F(FilterParserTest, PrecedenceAndAssociativity) {
  // OR < AND < NOT < comparison < sum < product
  TExprNode* root = Compile("marked OR qty = 1 AND NOT type + 2 * 3 = 4");
  EXPECT_EQ(toOR, root->Operator);
  TExprNode* conj = root->Right;
  EXPECT_EQ(toAND, conj->Operator);
  EXPECT_EQ(toNOT, conj->Right->Operator);
  TExprNode* sum = conj->Right->Left->Left;
  EXPECT_EQ(toADD, sum->Operator);
  EXPECT_EQ(toMUL, sum->Right->Operator);
  // left to right
  TExprNode* diff = Compile("qty - 1 - 2 = 0")->Left;
  EXPECT_EQ(toSUB, diff->Operator);
  EXPECT_EQ(toSUB, diff->Left->Operator);
  EXPECT_EQ(2, Int32Of(diff->Right));
  // the IN list accepts a comma before ")"
  EXPECT_EQ(2u, Compile("qty IN (1, 2, )")->Args.size());
  EXPECT_EQ(2u, Compile("qty IN ((1), 1 + 1)")->Args.size());
}

TEST_F(FilterParserTest, ResultTypesOfArithmetic) {
  const struct {
    const char* Expr;
    int Type;
  } cases[] = {
      {"type + type", ftInteger},   {"type + glass", ftInteger}, {"glass * glass", ftInteger},
      {"type + big", ftLargeint},   {"qty + abv", ftFloat},      {"abv + price", ftCurrency},
      {"price + abv", ftCurrency},  {"id + qty", ftAutoInc},     {"qty + id", ftInteger},
      {"qty / 2", ftFloat},         {"big / big", ftFloat},      {"name + code", ftString},
      {"d + 1", ftDate},            {"d + 1.5", ftDate},         {"d - 1", ftInteger},
      {"d - d2", ftInteger},        {"t + 1", ftTime},           {"t - 1", ftInteger},
      {"t - t", ftInteger},         {"dt + 1", ftDateTime},      {"dt - 1", ftFloat},
      {"dt - dt", ftFloat},         {"d - dt", ftFloat},         {"t - d", ftFloat},
      {"'12/25/2003' - d", ftFloat}, {"d - '12/24/2003'", ftInteger},
      {"'10:00' - dt", ftFloat},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Expr);
    // every result type compares with itself
    TExprNode* node = Compile(std::string(c.Expr) + " = " + c.Expr)->Left;
    EXPECT_EQ(c.Type, node->DataType);
  }
}

TEST_F(FilterParserTest, DateLikeConstantsBecomeTheTemporalType) {
  const int32_t christmas = TFilterTestRecord::Day(2003, 12, 25);
  TExprNode* right = Compile("d = '12/25/2003'")->Right;
  EXPECT_EQ(ftDate, right->DataType);
  EXPECT_EQ(christmas, Int32Of(right));
  EXPECT_EQ(-1, right->PartialLength);

  TExprNode* left = Compile("'12/25/2003 10:30' < dt")->Left;
  EXPECT_EQ(ftDateTime, left->DataType);
  EXPECT_EQ(christmas * 86400000.0 + 37800000.0, DoubleOf(left));

  TExprNode* time = Compile("t >= '1:30:15.250 pm'")->Right;
  EXPECT_EQ(ftTime, time->DataType);
  EXPECT_EQ(((13 * 60 + 30) * 60 + 15) * 1000 + 250, Int32Of(time));

  TExprNode* list = Compile("d IN ('12/25/2003', d2, '1/1/2004')");
  EXPECT_EQ(ftDate, list->Args[0]->DataType);
  EXPECT_EQ(TFilterTestRecord::Day(2004, 1, 1), Int32Of(list->Args[2]));

  // string against string stays text
  EXPECT_EQ(ftString, Compile("name = '12/25/2003'")->Right->DataType);

  // the fixed month/day/year form wins under any locale; the locale's own
  // form is the fallback
  TLocaleSettings german = DefaultLocaleSettings();
  german.ShortDateFormat = "dd.MM.yyyy";
  german.DateSeparator = '.';
  german.DecimalSeparator = ',';
  TScopedLocaleSettings scoped(german);
  EXPECT_EQ(christmas, Int32Of(Compile("d = '12/25/2003'")->Right));
  EXPECT_EQ(christmas, Int32Of(Compile("d = '25.12.2003'")->Right));
  EXPECT_EQ(TFilterTestRecord::Day(2003, 2, 1), Int32Of(Compile("d = '2/1/2003'")->Right));
}

TEST_F(FilterParserTest, GetDateIsReadOnceAtCompileTime) {
  double before = CurrentDateTime();
  TExprNode* now = Compile("GETDATE() > dt")->Left;
  double after = CurrentDateTime();
  EXPECT_EQ(enConst, now->Kind);
  EXPECT_EQ(ftDateTime, now->DataType);
  EXPECT_GE(DoubleOf(now), before);
  EXPECT_LE(DoubleOf(now), after);
}

TEST_F(FilterParserTest, ANewCompilationReplacesTheTreeAndAFailedOneLeavesNone) {
  Compile("qty = 1");
  EXPECT_TRUE(parser_.Compiled());
  EXPECT_THROW(Compile("qty = "), EDatabaseError);
  EXPECT_FALSE(parser_.Compiled());
  EXPECT_THROW(parser_.Evaluate(0), EDatabaseError);
  TExprNode* root = Compile("name = 'x'");
  EXPECT_EQ(toEQ, root->Operator);
  int count = 0;
  for (TExprNode* n = parser_.Nodes().First(); n != nullptr; n = n->Next) ++count;
  EXPECT_EQ(3, count);
}

TEST_F(FilterParserTest, NestingIsLimited) {
  const int limit = TFilterParser::kMaxNestingDepth;
  auto nested = [](int depth, const std::string& open, const std::string& inner) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += inner;
    text += std::string(depth, ')');
    return text;
  };
  EXPECT_NO_THROW(Compile(nested(limit, "(", "qty = 1")));
  EXPECT_NO_THROW(Compile(nested(limit, "UPPER(", "name") + " = 'A'"));
  EXPECT_NO_THROW(Compile(nested(limit, "NOT (", "marked")));
  for (const char* open : {"(", "UPPER(", "NOT (", "qty IN ("}) {
    SCOPED_TRACE(open);
    try {
      Compile(nested(limit + 1, open, "qty = 1"));
      FAIL();
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ("Filter expression nested too deeply", e.what());
    }
  }
}

TEST_F(FilterParserTest, AHundredThousandTermsJoinedByOrCompile) {
  std::string text = "id = 1";
  for (int i = 2; i <= 100000; ++i) text += " OR id = " + std::to_string(i);
  TExprNode* root = Compile(text);
  EXPECT_EQ(toOR, root->Operator);
  EXPECT_EQ(99999u, root->Chain.size());
  EXPECT_EQ(root, root->Chain.back());
}

// ---- Conversions behind the literals ----

TEST(CalendarTest, DayNumbersCountFromTheFirstOfJanuaryOfYearOne) {
  int32_t day;
  ASSERT_TRUE(TryEncodeDate(1, 1, 1, &day));
  EXPECT_EQ(1, day);
  ASSERT_TRUE(TryEncodeDate(1899, 12, 30, &day));
  EXPECT_EQ(kDateDelta, day);
  EXPECT_TRUE(TryEncodeDate(2004, 2, 29, &day));
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, &day));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, &day));
  EXPECT_FALSE(TryEncodeDate(2003, 2, 29, &day));
  EXPECT_FALSE(TryEncodeDate(2003, 4, 31, &day));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, &day));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, &day));
  for (int32_t n : {1, 59, 60, 366, 693594, 731574, 3652059}) {
    int y, m, d;
    DecodeDate(n, &y, &m, &d);
    ASSERT_TRUE(TryEncodeDate(y, m, d, &day)) << n;
    EXPECT_EQ(n, day);
  }
  int h, mi, s, ms;
  DecodeTime(((23 * 60 + 59) * 60 + 58) * 1000 + 7, &h, &mi, &s, &ms);
  EXPECT_EQ(23, h);
  EXPECT_EQ(59, mi);
  EXPECT_EQ(58, s);
  EXPECT_EQ(7, ms);
}

TEST(DateTextTest, FixedAndLocaleForms) {
  TDateTimeSyntax mdy;  // month/day/year, '/', ':', '.'
  mdy.ReferenceYear = 2025;
  mdy.TwoPartDates = false;
  int32_t day, ms;
  auto date = [&](const char* text) {
    return TryTextToDate(text, mdy, &day) ? day : -1;
  };
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25), date("12/25/2003"));
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25), date(" 12 / 25 /2003"));
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25), date("12/25/03"));
  EXPECT_EQ(TFilterTestRecord::Day(1980, 1, 2), date("1/2/80"));
  EXPECT_EQ(TFilterTestRecord::Day(1975, 1, 2), date("1/2/75"));
  EXPECT_EQ(TFilterTestRecord::Day(2074, 1, 2), date("1/2/74"));
  EXPECT_EQ(TFilterTestRecord::Day(75, 1, 2), date("1/2/075"));
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25), date("12/25/02003"));
  EXPECT_EQ(-1, date("12/25/20031"));  // "1" is left over
  EXPECT_EQ(-1, date("2/29/2003"));
  EXPECT_EQ(-1, date("12/25"));
  EXPECT_EQ(-1, date("12/25/2003 "));
  EXPECT_EQ(-1, date("12-25-2003"));

  auto time = [&](const char* text) { return TryTextToTime(text, mdy, &ms) ? ms : -1; };
  EXPECT_EQ(37800000, time("10:30"));
  EXPECT_EQ(37815250, time("10:30:15.250"));
  EXPECT_EQ(81000000, time("10:30 pm"));
  EXPECT_EQ(81000000, time("PM 10:30"));
  EXPECT_EQ(0, time("12 AM"));
  EXPECT_EQ(43200000, time("12 PM"));
  EXPECT_EQ(36000000, time("10  "));
  EXPECT_EQ(-1, time("13 PM"));
  EXPECT_EQ(-1, time("0 AM"));
  EXPECT_EQ(-1, time("24:00"));
  EXPECT_EQ(-1, time("10:60"));
  EXPECT_EQ(-1, time("10:30 x"));

  double value;
  ASSERT_TRUE(TryTextToDateTime("12/25/2003 10:30 and more", mdy, &value));
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25) * 86400000.0 + 37800000, value);
  ASSERT_TRUE(TryTextToDateTime("10:30", mdy, &value));
  EXPECT_EQ(kDateDelta * 86400000.0 + 37800000, value);
  EXPECT_FALSE(TryTextToDateTime("12/25/2003 x", mdy, &value));
  EXPECT_FALSE(TryTextToDateTime("hello", mdy, &value));

  // the window: a zero window keeps two-digit years in the current century
  TDateTimeSyntax zero = mdy;
  zero.TwoDigitYearCenturyWindow = 0;
  ASSERT_TRUE(TryTextToDate("1/2/99", zero, &day));
  EXPECT_EQ(TFilterTestRecord::Day(2099, 1, 2), day);

  TLocaleSettings german = DefaultLocaleSettings();
  german.ShortDateFormat = "dd.MM.yyyy";
  german.DateSeparator = '.';
  german.TimeSeparator = '.';
  german.DecimalSeparator = ',';
  TDateTimeSyntax local = DateTimeSyntaxOf(german);
  local.ReferenceYear = 2025;
  ASSERT_TRUE(TryTextToDate("25.12.2003", local, &day));
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25), day);
  ASSERT_TRUE(TryTextToDate("25.12", local, &day));
  EXPECT_EQ(TFilterTestRecord::Day(2025, 12, 25), day);
  ASSERT_TRUE(TryTextToTime("10.30.15,5", local, &ms));
  EXPECT_EQ(37815005, ms);
  EXPECT_EQ(TDateOrder::YMD, DateOrderOf("yyyy-MM-dd"));
  EXPECT_EQ(TDateOrder::DMY, DateOrderOf("d/M/yy"));
  EXPECT_EQ(TDateOrder::MDY, DateOrderOf("M/d/yyyy"));

  TScopedLocaleSettings scoped(german);
  EXPECT_EQ(TFilterTestRecord::Day(2003, 12, 25), StrToDate("25.12.2003"));
  EXPECT_EQ(37800000, StrToTime("10.30"));
  try {
    StrToDateTime("never");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ("'never' is not a valid date and time", e.what());
  }
}

TEST(NumberTextTest, FloatsWithTheLocaleSeparator) {
  double v;
  ASSERT_TRUE(TryTextToFloat("1,5", ',', &v));
  EXPECT_EQ(1.5, v);
  ASSERT_TRUE(TryTextToFloat("-2.5e2", '.', &v));
  EXPECT_EQ(-250, v);
  ASSERT_TRUE(TryTextToFloat("1.", '.', &v));
  EXPECT_EQ(1, v);
  for (const char* bad : {"-", "3E", "1.2.3", "", "e5", "1e", "1.5x", "1e999"}) {
    EXPECT_FALSE(TryTextToFloat(bad, '.', &v)) << bad;
  }
  EXPECT_FALSE(TryTextToFloat("1.5", ',', &v));
}

TEST(LocaleSettingsTest, DefaultsAndDateFormatsOfTheCLibrary) {
  TLocaleSettings c = DefaultLocaleSettings();
  EXPECT_EQ('.', c.DecimalSeparator);
  EXPECT_EQ("M/d/yyyy", c.ShortDateFormat);
  EXPECT_EQ('/', c.DateSeparator);
  EXPECT_EQ(':', c.TimeSeparator);
  EXPECT_EQ(50, c.TwoDigitYearCenturyWindow);
  EXPECT_EQ("AM", c.TimeAMString);
  EXPECT_EQ("PM", c.TimePMString);

  std::string format;
  char separator;
  ShortDateFormatFromPosix("%d.%m.%Y", &format, &separator);
  EXPECT_EQ("dd.MM.yyyy", format);
  EXPECT_EQ('.', separator);
  ShortDateFormatFromPosix("%m/%d/%y", &format, &separator);
  EXPECT_EQ("MM/dd/yy", format);
  EXPECT_EQ('/', separator);
  ShortDateFormatFromPosix("%F", &format, &separator);
  EXPECT_EQ("yyyy-MM-dd", format);
  EXPECT_EQ('-', separator);

  TLocaleSettings before = LocaleSettings();
  TLocaleSettings custom = c;
  custom.DecimalSeparator = '#';
  {
    TScopedLocaleSettings scoped(custom);
    EXPECT_EQ('#', LocaleSettings().DecimalSeparator);
  }
  EXPECT_EQ(before.DecimalSeparator, LocaleSettings().DecimalSeparator);
}

}  // namespace
}  // namespace tinydb
