// CString over Shift-JIS text: the trail byte of a double-byte character may
// equal '\\' (表 = 95 5C, ソ = 83 5C) or an ASCII letter (ヂ = 83 61), and must
// never be searched, folded or split as if it were one.
#include "CString.h"
#include "CStringArray.h"
#include "CPtrArray.h"

#include <gtest/gtest.h>

TEST(CString, LiteralsAreShiftJis)
{
    CString hyo("表");
    ASSERT_EQ(2, hyo.GetLength());
    EXPECT_EQ(static_cast<char>(0x95), hyo.GetAt(0));
    EXPECT_EQ('\\', hyo.GetAt(1));
}

TEST(CString, FindNeverStartsOnATrailByte)
{
    struct Case { const char* text; const char* sub; int expected; } cases[] = {
        { "表", "\\", -1 },
        { "C:\\表\\a", "\\", 2 },
        { "ソ\\x", "\\", 2 },
        { "x/INI=ソ", "/INI=", 1 },
        { "ヂa", "a", 2 },          // 83 61 61: the first 61 is a trail byte
        { "abc", "", 0 },
        { "abc", "abcd", -1 },
        { "", "a", -1 },
    };
    for (const Case& c : cases) {
        CString s(c.text);
        EXPECT_EQ(c.expected, s.Find(c.sub)) << "text=" << c.text << " sub=" << c.sub;
    }
    CString path("予\\表\\");
    EXPECT_EQ(2, path.Find('\\'));
    EXPECT_EQ(5, path.Find('\\', 3));
    EXPECT_EQ(5, path.ReverseFind('\\'));
    EXPECT_EQ(-1, CString("能").ReverseFind('\\'));
}

TEST(CString, MakeUpperTouchesSingleByteLettersOnly)
{
    CString s("aヂbｱz");   // ヂ = 83 61 must not become 83 41 (ア)
    s.MakeUpper();
    EXPECT_STREQ("AヂBｱZ", s);
    CString folded("c:\\ソft\\x.exe");
    folded.MakeUpper();
    EXPECT_STREQ("C:\\ソFT\\X.EXE", folded);
}

TEST(CString, CaseBlindComparisonUsesTheCodePage)
{
    EXPECT_NE(0, CString("ヂ").CompareNoCase("ア"));
    EXPECT_EQ(0, CString("c:\\Tools\\App.EXE").CompareNoCase("C:\\TOOLS\\app.exe"));
    EXPECT_TRUE(CString("abc") == "abc");
    EXPECT_TRUE(CString("abc") != CString("abd"));
}

TEST(CString, SubstringsAndFormat)
{
    CString s("C:\\Tools\\App.exe");
    EXPECT_STREQ("C:\\", s.Left(3));
    EXPECT_STREQ("App.exe", s.Mid(9));
    EXPECT_STREQ("App", s.Mid(9, 3));
    EXPECT_STREQ(".exe", s.Right(4));
    EXPECT_STREQ("", s.Mid(100));
    EXPECT_STREQ(s, s.Right(100));
    EXPECT_STREQ("", s.Left(-1));

    CString f;
    f.Format("Error %d が発生", 31);
    EXPECT_STREQ("Error 31 が発生", f);
    CString big;
    big.Format("%s%s", std::string(300, 'x').c_str(), "表");
    EXPECT_EQ(302, big.GetLength());

    CString joined = CString("a") + "表" + CString("b") + 'c';
    EXPECT_STREQ("a表bc", joined);
}

TEST(CString, BufferRoundTrip)
{
    CString s;
    char* p = s.GetBuffer(10);
    lstrcpyA(p, "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(3, s.GetLength());
    EXPECT_STREQ("abc", s);

    // A smaller request keeps the text; a longer release is held to it.
    CString path("C:\\表");
    p = path.GetBuffer(1);
    EXPECT_STREQ("C:\\表", p);
    path.ReleaseBuffer(100);
    EXPECT_STREQ("C:\\表", path);
    // A buffer of an empty string is writable too.
    CString empty;
    empty.GetBuffer(0)[0] = '\0';
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(CString, GrowsWithoutLosingDoubleByteText)
{
    CString s;
    for (int i = 0; i < 1000; ++i)
        s += "表";                        // 95 5C: a trail byte equal to '\\'
    s += 'a';
    ASSERT_EQ(2001, s.GetLength());
    EXPECT_EQ(-1, s.Find('\\'));
    EXPECT_EQ(2000, s.ReverseFind('a'));
    EXPECT_EQ(2, s.Find("表", 1));        // offset 1 is a trail byte: no match there

    // The source of an append or assignment may be the string itself.
    CString twice("ソ\\");
    twice += twice;
    twice += twice;
    EXPECT_STREQ("ソ\\ソ\\ソ\\ソ\\", twice);
    twice = twice.GetString() + 3;
    EXPECT_STREQ("ソ\\ソ\\ソ\\", twice);
    twice = twice.Mid(3);
    EXPECT_STREQ("ソ\\ソ\\", twice);

    // A counted copy keeps every byte, an embedded NUL and what follows it.
    CString counted("a\0表", 4);
    EXPECT_EQ(4, counted.GetLength());
    EXPECT_EQ(static_cast<char>(0x95), counted.GetAt(2));

    CString kept(s);
    s.Empty();
    s += "x";
    EXPECT_STREQ("x", s);
    EXPECT_EQ(2001, kept.GetLength());
}

TEST(CString, FormatsLongTextsAndItsOwnText)
{
    CString line;
    for (int i = 0; i < 3000; ++i)
        line += "ソ";
    CString f;
    f.Format("%s:%d:%s", line.GetString(), -42, "能");
    ASSERT_EQ(6000 + 5 + 2, f.GetLength());
    EXPECT_STREQ(":-42:能", f.Right(7));

    CString self("予");
    self.Format("%s(%s)", self.GetString(), self.GetString());
    EXPECT_STREQ("予(予)", self);
    self.Format("%s", "");
    EXPECT_TRUE(self.IsEmpty());
    CString padded;
    padded.Format("%05u|%-3s|%x", 42u, "a", 255u);
    EXPECT_STREQ("00042|a  |ff", padded);
}

TEST(Arrays, GrowAndEmpty)
{
    CStringArray names;
    EXPECT_EQ(0, names.Add("a"));
    EXPECT_EQ(1, names.Add("表"));
    EXPECT_EQ(2, names.GetSize());
    EXPECT_STREQ("表", names[1]);
    // Adding one of its own elements while the storage grows.
    for (int i = 2; i < 1000; ++i)
        names.Add(names[i - 1]);
    ASSERT_EQ(1000, names.GetSize());
    EXPECT_STREQ("表", names[999]);
    CStringArray copy(names);
    copy[0] = "z";
    names.RemoveAll();
    EXPECT_TRUE(names.IsEmpty());
    EXPECT_STREQ("z", copy[0]);
    EXPECT_STREQ("表", copy[999]);

    CPtrArray ptrs;
    int x = 0;
    ptrs.SetAtGrow(2, &x);
    EXPECT_EQ(3, ptrs.GetSize());
    EXPECT_EQ(nullptr, ptrs[0]);
    EXPECT_EQ(&x, ptrs[2]);
    for (INT_PTR i = 3; i < 100; ++i)
        EXPECT_EQ(i, ptrs.Add(reinterpret_cast<void*>(i)));
    ptrs.RemoveAt(3, 90);               // 3..92 go, 93..99 move down
    ASSERT_EQ(10, ptrs.GetSize());
    EXPECT_EQ(reinterpret_cast<void*>(93), ptrs[3]);
    ptrs.RemoveAt(8, 100);              // the rest from 8 on
    EXPECT_EQ(8, ptrs.GetSize());
    CPtrArray ptrCopy(ptrs);
    ptrs.SetSize(0, -1);
    EXPECT_EQ(0, ptrs.GetSize());
    EXPECT_EQ(&x, ptrCopy[2]);
    ptrCopy.SetSize(12);
    EXPECT_EQ(nullptr, ptrCopy[11]);
}
