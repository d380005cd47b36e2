// Form streams as values: each value kind of text form files, its binary encoding and the text
// it converts back to, the layout of objects, and the errors of damaged text and data.
#include <gtest/gtest.h>

#include "StreamText.h"
#include "platform/vcl/Writer.h"

namespace {

// "object A: TA", one property P, "end": the value's bytes sit between P's name and the two
// list ends.
String OneProperty(const String& value) { return "object A: TA\r\n  P = " + value + "\r\nend\r\n"; }
const String kHead = String("TPF0") + "\x02TA" + "\x01" "A" + "\x01P";

struct TValueRow {
  const char* Text;
  const char* Bytes;      // the value as the binary stream holds it
  const char* Canonical;  // the text it converts back to; null when the same
};

const TValueRow kValueRows[] = {
    {"0", "02 00", nullptr},
    {"-128", "02 80", nullptr},
    {"128", "03 80 00", nullptr},
    {"-32769", "04 FF 7F FF FF", nullptr},
    {"2147483648", "13 00 00 00 80 00 00 00 00", nullptr},
    {"$FF", "03 FF 00", "255"},
    {"'abc'", "06 03 61 62 63", nullptr},
    {"''", "06 00", nullptr},
    {"'It''s'", "06 04 49 74 27 73", "'It'#39's'"},
    {"'a'#13#10'b' + 'c'", "06 05 61 0D 0A 62 63", "'a'#13#10'bc'"},
    {"'Am\xF5" "ba'", "06 05 41 6D F5 62 61", nullptr},
    {"'x'#$263A", "12 02 00 00 00 78 00 3A 26", "'x'#9786"},
    {"clBtnFace", "07 09 63 6C 42 74 6E 46 61 63 65", nullptr},
    {"Form2.Button1", "07 0D 46 6F 72 6D 32 2E 42 75 74 74 6F 6E 31", nullptr},
    {"false", "08", "False"},
    {"True", "09", nullptr},
    {"nil", "0D", nullptr},
    {"Null", "00", nullptr},
    {"[]", "0B 00", nullptr},
    {"[fsBold,fsItalic]", "0B 06 66 73 42 6F 6C 64 08 66 73 49 74 61 6C 69 63 00", "[fsBold, fsItalic]"},
    {"1.5", "05 00 00 00 00 00 00 00 C0 FF 3F", nullptr},
    {"100.", "05 00 00 00 00 00 00 00 C8 05 40", "100.0"},
    {"-2.5E-7", "05 00 68 6C AF 05 BD 37 86 E9 BF", nullptr},
    {"1.5s", "0F 00 00 C0 3F", nullptr},
    {"15000c", "10 98 3A 00 00 00 00 00 00", nullptr},
    {"2.5d", "11 00 00 00 00 00 00 04 40", nullptr},
    {"('a' 'b')", "01 06 01 61 06 01 62 00", "(\r\n    'a'\r\n    'b')"},
    {"()", "01 00", nullptr},
    {"{0a0B}", "0A 02 00 00 00 0A 0B", "{\r\n    0A0B}"},
    {"{}", "0A 00 00 00 00", nullptr},
    {"<item P = 1 end>", "0E 01 01 50 02 01 00 00", "<\r\n    item\r\n      P = 1\r\n    end>"},
    {"<item [3] end>", "0E 02 03 01 00 00", "<\r\n    item [3]\r\n    end>"},
    {"<>", "0E 00", nullptr},
};

TEST(FormStreamTest, EachValueKindConvertsToItsBinaryFormAndBack) {
  for (const TValueRow& row : kValueRows) {
    SCOPED_TRACE(row.Text);
    const String binary = TextToBinary(OneProperty(row.Text));
    ASSERT_EQ(binary.substr(0, kHead.size()), kHead);
    ASSERT_EQ(binary.substr(binary.size() - 2), String(2, '\0'));
    const String value = binary.substr(kHead.size(), binary.size() - kHead.size() - 2);
    EXPECT_EQ(Hex(value), row.Bytes);
    const String text = BinaryToText(binary);
    EXPECT_EQ(text, OneProperty(row.Canonical ? row.Canonical : row.Text));
    EXPECT_EQ(TextToBinary(text), binary) << "the text it converts back to is read the same";
  }
}

// Floats come back as the same number, read as a float again: never "1" for 1.0, which the
// text would read as an integer.
TEST(FormStreamTest, FloatsKeepTheirValueAndStayFloats) {
  struct {
    double Value;
    const char* Text;
  } rows[] = {{0.1, "0.1"}, {1.0, "1.0"}, {-0.0, "-0.0"}, {123456789012345.0, "123456789012345.0"},
              {1e15, "1E15"}, {0.00001, "0.00001"}, {0.000001, "1E-6"}, {1.0 / 3, "0.3333333333333333"},
              {-2.5e-300, "-2.5E-300"}, {5e-324, "5E-324"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    TAutoFree<TMemoryStream> stream(new TMemoryStream());
    {
      TAutoFree<TWriter> writer(new TWriter(stream.Get()));
      writer->WriteSignature();
      writer->WriteStr("TA");
      writer->WriteStr("A");
      writer->WriteStr("P");
      writer->WriteFloat(row.Value);
      writer->WriteListEnd();
      writer->WriteListEnd();
    }
    const String text = BinaryToText(stream->GetDataString());
    EXPECT_EQ(text, OneProperty(row.Text));
    EXPECT_EQ(TextToBinary(text), stream->GetDataString());
  }
}

// A string longer than a line starts on a line of its own; lines of 64 characters join with
// '+', a #n counting as one character; a string in a list is one level deeper.
TEST(FormStreamTest, LongStringsAreBrokenIntoLinesOf64Characters) {
  const String a64(64, 'a');
  const String text = OneProperty("'" + a64 + "b'#13'" + a64 + "'");
  const String expected = "object A: TA\r\n  P = \r\n    '" + a64 + "' +\r\n    'b'#13'" + a64.substr(0, 62) +
                          "' +\r\n    'aa'\r\nend\r\n";
  EXPECT_EQ(BinaryToText(TextToBinary(text)), expected);

  const String list = OneProperty("('" + a64 + "x')");
  EXPECT_EQ(BinaryToText(TextToBinary(list)), "object A: TA\r\n  P = (\r\n    \r\n      '" + a64 + "' +\r\n      'x')\r\nend\r\n");

  const String s300(300, 'z');
  const String binary = TextToBinary(OneProperty("'" + s300 + "'"));
  EXPECT_EQ(Hex(binary.substr(kHead.size(), 5)), "0C 2C 01 00 00") << "vaLString beyond 255 characters";
}

TEST(FormStreamTest, ObjectsNestWithTheirFlagsNamesAndChildPositions) {
  const String text =
      "inherited Form1: TForm1\r\n"
      "  Left = 8\r\n"
      "  object Panel1: TPanel [2]\r\n"
      "    object TLabel\r\n"
      "    end\r\n"
      "  end\r\n"
      "  inline Frame1: TFrame1 [0]\r\n"
      "  end\r\n"
      "end\r\n";
  const String binary = TextToBinary(text);
  EXPECT_EQ(Hex(binary),
            Hex(String("TPF0") + "\xF1\x06TForm1\x05" "Form1" "\x04Left\x02\x08" + String(1, '\0') +
                "\xF2\x02\x02\x06TPanel\x06Panel1" + String(1, '\0') + "\x06TLabel" + String(3, '\0') + String(1, '\0') +
                "\xF6\x02" + String(1, '\0') + "\x07TFrame1\x06" "Frame1" + String(2, '\0') + String(1, '\0')));
  EXPECT_EQ(BinaryToText(binary), text);
}

TEST(FormStreamTest, ResourceHeaderIsNamedAfterTheRootClassAndSkippedOnTheWayBack) {
  const String text = "object Form1: TForm1\r\nend\r\n";
  const String resource = Convert(ObjectTextToResource, text);
  const String body = TextToBinary(text);
  EXPECT_EQ(Hex(resource.substr(0, 16)), Hex(String("\xFF\x0A") + String(1, '\0') + "TFORM1" + String(1, '\0') + "\x30\x10" +
                                             static_cast<char>(body.size()) + String(3, '\0')));
  EXPECT_EQ(resource.substr(16), body);
  EXPECT_EQ(Convert(ObjectResourceToText, resource), text);

  struct {
    const char* Data;
    TStreamOriginalFormat Format;
  } rows[] = {{"TPF0", sofBinary}, {"\xFF\x0A", sofUnknown}, {"  \r\n object X: TX", sofText}, {"Inherited X", sofText},
              {"objects", sofUnknown}, {"", sofUnknown}};
  for (const auto& row : rows) {
    TAutoFree<TMemoryStream> s(new TMemoryStream());
    s->SetDataString(row.Data);
    EXPECT_EQ(TestStreamFormat(s.Get()), row.Format) << row.Data;
    EXPECT_EQ(s->GetPosition(), 0);
  }
  TAutoFree<TMemoryStream> s(new TMemoryStream());
  s->SetDataString(resource);
  EXPECT_EQ(TestStreamFormat(s.Get()), sofBinary);
}

// Damaged text names what was expected and the line; damaged data says what the original
// says. Neither leaves anything behind (the sanitizer build checks) nor crashes.
TEST(FormStreamTest, DamagedTextAndDataRaiseTheOriginalsErrors) {
  struct {
    const char* Text;
    const char* Error;
  } textRows[] = {
      {"", "EParserError: OBJECT expected on line 1"},
      {"object A: TA\r\n  P 1\r\nend", "EParserError: '=' expected on line 2"},
      {"object A: TA\r\n  P = 'abc\r\nend", "EParserError: Invalid string constant on line 2"},
      {"object A: TA\r\n  P = #\r\nend", "EParserError: Invalid string constant on line 2"},
      {"object A: TA\r\n  P = #70000\r\nend", "EParserError: Invalid string constant on line 2"},
      {"object A: TA\r\n  P = {0A B}\r\nend", "EParserError: Invalid binary value on line 2"},
      {"object A: TA\r\n  P = {0A", "EParserError: Invalid binary value on line 2"},
      {"object A: TA\r\n  P = ,\r\nend", "EParserError: Invalid property value on line 2"},
      {"object A: TA\r\n  P = 'a' +\r\n  1\r\nend", "EParserError: String expected on line 3"},
      {"object A: TA\r\n  P = [a b]\r\nend", "EParserError: ',' expected on line 2"},
      {"object A: TA\r\n  P = [1]\r\nend", "EParserError: Identifier expected on line 2"},
      {"object A: TA\r\n  P = <x>\r\nend", "EParserError: item expected on line 2"},
      {"object A: TA\r\n  P = (1\r\n", "EParserError: Invalid property value on line 3"},
      {"object A: TA\r\n  P = 99999999999999999999\r\nend",
       "EParserError: '99999999999999999999' is not a valid integer value on line 2"},
      {"object A: TA\r\n  P = 1.2.3\r\nend", "EParserError: '1.2.3' is not a valid floating point value on line 2"},
      {"object A: TA\r\n  P = 1e999\r\nend", "EParserError: '1e999' is not a valid floating point value on line 2"},
      {"object A: TA\r\n  P = Form1.\r\nend", "EParserError: Identifier expected on line 2"},
      {"object A: TA\r\n  P = 1\r\n", "EParserError: Identifier expected on line 3"},
      {"object A: TA\r\n  object B TB\r\n  end\r\n", "EParserError: '=' expected on line 3"},
      {"object A: TA [x]\r\nend", "EParserError: Number expected on line 1"},
  };
  for (const auto& row : textRows) EXPECT_EQ(ErrorOf([&] { TextToBinary(row.Text); }), row.Error) << row.Text;

  const String good = TextToBinary(OneProperty("('a' <item P = {00} end>)"));
  struct {
    String Data;
    const char* Error;
  } binaryRows[] = {
      {"TPF1" + good.substr(4), "EReadError: Invalid stream format"},
      {good.substr(0, good.size() - 1), "EReadError: Stream read error"},
      {good.substr(0, kHead.size() + 4), "EReadError: Stream read error"},
      {kHead + "\x30", "EReadError: Invalid stream format"},
      {kHead + "\x0C\xFF\xFF\xFF\x7F" "abc", "EReadError: Stream read error"},  // a length past the end
      {kHead + "\x0E\x01\x01P\x06", "EReadError: Stream read error"},
      {kHead + "\x0E\x06", "EReadError: Invalid property value"},  // a collection item that is no list
      {kHead + String(300, '\x01'), "EReadError: Invalid stream format"},  // nested too deeply
      // Names the text cannot hold.
      {String("TPF0") + "\x02TA\x01" "A" "\x02P\x11\x02\x01" + String(2, '\0'), "EReadError: Invalid stream format"},
      {String("TPF0") + "\x02TA\x01" "A" "\x03" "end\x02\x01" + String(2, '\0'), "EReadError: Invalid stream format"},
      {String("TPF0") + String(1, '\0') + "\x01" "A" + String(2, '\0'), "EReadError: Invalid stream format"},
      {kHead + "\x07\x03" "a b" + String(2, '\0'), "EReadError: Invalid stream format"},
  };
  for (const auto& row : binaryRows) EXPECT_EQ(ErrorOf([&] { BinaryToText(row.Data); }), row.Error) << Hex(row.Data);

  String deepText = "object A: TA\r\n  P = ";
  for (int i = 0; i < 300; ++i) deepText += "(";
  EXPECT_EQ(ErrorOf([&] { TextToBinary(deepText); }), "EParserError: Nested too deeply on line 2");
}

// Bytes that come after a zero byte are not text: the original reads text up to it.
TEST(FormStreamTest, TextEndsAtAZeroByte) {
  const String text = "object A: TA\r\nend\r\n" + String(1, '\0') + "garbage";
  EXPECT_EQ(BinaryToText(TextToBinary(text)), "object A: TA\r\nend\r\n");
}

}  // namespace
