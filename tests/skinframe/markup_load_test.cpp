#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <string>
#include <vector>

#include "skinframe/markup.h"
#include "skinframe/paint_manager.h"
#include "support/temp_dir.h"

namespace {

std::wstring Message(const CMarkup& markup) {
    wchar_t text[100] = {};
    markup.GetLastErrorMessage(text, 100);
    return text;
}

std::wstring Location(const CMarkup& markup) {
    wchar_t text[50] = {};
    markup.GetLastErrorLocation(text, 50);
    return text;
}

std::wstring Wide(const std::string& narrow) {
    return std::wstring(narrow.begin(), narrow.end());
}

const BYTE* Bytes(const std::string& s) {
    return reinterpret_cast<const BYTE*>(s.data());
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

// "<W t="中😀"/>" in each encoding.
const std::string kUtf8 = "<W t=\"\xe4\xb8\xad\xf0\x9f\x98\x80\"/>";
const wchar_t* const kValue = L"\u4e2d\U0001F600";

TEST(MarkupLoad, ReadsEveryEncodingIntoTheSameTree) {
    struct Case {
        const char* what;
        std::string bytes;
        int encoding;
    } cases[] = {
        {"utf-8", kUtf8, XMLFILE_ENCODING_UTF8},
        {"utf-8 with mark", "\xEF\xBB\xBF" + kUtf8, XMLFILE_ENCODING_UTF8},
        {"ansi", kUtf8, XMLFILE_ENCODING_ASNI},
        {"utf-16le", Utf16(u"<W t=\"\u4e2d\U0001F600\"/>", false), XMLFILE_ENCODING_UNICODE},
        {"utf-16be", Utf16(u"<W t=\"\u4e2d\U0001F600\"/>", true), 7},
        {"utf-16 odd byte", Utf16(u"<W t=\"\u4e2d\U0001F600\"/>", false) + "x", 1},
    };
    for (const Case& c : cases) {
        CMarkup markup;
        ASSERT_TRUE(markup.LoadFromMem(Bytes(c.bytes), c.bytes.size(), c.encoding))
            << c.what << ": " << Message(markup);
        EXPECT_STREQ(markup.GetRoot().GetName(), L"W") << c.what;
        EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"t"), kValue) << c.what;
    }
}

TEST(MarkupLoad, RejectsUtf16WithoutAMarkAndMendsLoneSurrogates) {
    for (const std::string& bytes :
         {std::string(), std::string("\xFF"), std::string("<\0W\0", 4)}) {
        CMarkup markup;
        EXPECT_FALSE(markup.LoadFromMem(Bytes(bytes), bytes.size(), XMLFILE_ENCODING_UNICODE));
        EXPECT_EQ(Message(markup), L"Missing byte-order mark");
        EXPECT_FALSE(markup.IsValid());
    }
    std::u16string lone = u"<W t=\"";
    lone += static_cast<char16_t>(0xD800);
    lone += u"x\"/>";
    const std::string bytes = Utf16(lone, false);
    CMarkup markup;
    ASSERT_TRUE(markup.LoadFromMem(Bytes(bytes), bytes.size(), 1));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"t"), L"\uFFFDx");
}

TEST(MarkupLoad, EmptyMemoryIsADocumentWithoutRoot) {
    CMarkup markup;
    EXPECT_TRUE(markup.LoadFromMem(nullptr, 0));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_TRUE(markup.LoadFromMem(Bytes("\xEF\xBB\xBF"), 3));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

class MarkupFile : public ::testing::Test {
  protected:
    void SetUp() override { CPaintManagerUI::SetResourcePath(Wide(dir_.path()).c_str()); }
    void TearDown() override {
        CPaintManagerUI::SetResourceZip(nullptr);
        CPaintManagerUI::SetResourcePath(nullptr);
    }
    TempDir dir_;
};

// A layout of exactly `size` bytes: a root element padded with whitespace.
std::string LayoutOfSize(size_t size) {
    std::string text = "<Window/>";
    text.append(size - text.size(), ' ');
    return text;
}

TEST_F(MarkupFile, ReadsFilesUnderTheResourcePathWithinTheSizeLimit) {
    TempDir::Write(dir_.File("main_wnd.xml"), "\xEF\xBB\xBF" + kUtf8);
    TempDir::Write(dir_.File("limit.xml"), LayoutOfSize(CMarkup::kMaxFileSize));
    TempDir::Write(dir_.File("over.xml"), LayoutOfSize(CMarkup::kMaxFileSize + 1));
    TempDir::Write(dir_.File("empty.xml"), "");
    TempDir::Write(dir_.File("bad.xml"), "<a>x<b/>y</a>");
    mkdir(dir_.File("folder.xml").c_str(), 0700);

    CMarkup markup;
    ASSERT_TRUE(markup.LoadFromFile(L"main_wnd.xml")) << Message(markup);
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"t"), kValue);
    EXPECT_TRUE(markup.LoadFromFile(L"limit.xml")) << Message(markup);

    struct Case {
        const wchar_t* file;
        const wchar_t* message;
        const wchar_t* location;
    } cases[] = {
        {L"over.xml", L"File too large", L""},        {L"empty.xml", L"File is empty", L""},
        {L"missing.xml", L"Error opening file", L""}, {L"folder.xml", L"Error opening file", L""},
        {nullptr, L"Error opening file", L""},        {L"bad.xml", L"Expected start tag", L"y</a>"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(markup.Load(L"<previous/>"));
        EXPECT_FALSE(markup.LoadFromFile(c.file));
        EXPECT_EQ(Message(markup), c.message);
        EXPECT_EQ(Location(markup), c.location);
        EXPECT_FALSE(markup.IsValid());
    }
}

TEST_F(MarkupFile, ReportsAFileThatYieldsLessThanItsSize) {
    // Kernel attribute files claim a page but hold a few bytes: a short read.
    const char* folder = "/sys/devices/system/cpu/";
    struct stat st;
    if (stat((std::string(folder) + "online").c_str(), &st) != 0 || st.st_size < 64) {
        GTEST_SKIP() << "no kernel attribute file to read";
    }
    CPaintManagerUI::SetResourcePath(Wide(folder).c_str());
    CMarkup markup;
    EXPECT_FALSE(markup.LoadFromFile(L"online"));
    EXPECT_EQ(Message(markup), L"Could not read file");
}

std::string WriteZip(const std::string& path,
                     const std::vector<std::pair<std::string, std::string>>& items,
                     bool stored = false) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr);
    for (const auto& item : items) {
        zip_source_t* source =
            zip_source_buffer(archive, item.second.data(), item.second.size(), 0);
        zip_int64_t index = zip_file_add(archive, item.first.c_str(), source, ZIP_FL_OVERWRITE);
        EXPECT_GE(index, 0);
        if (stored)
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    return path;
}

TEST_F(MarkupFile, ReadsItemsOfAResourceArchive) {
    WriteZip(dir_.File("skin.zip"), {{"Main_Wnd.xml", kUtf8},
                                     {"sub/child.xml", "<Child/>"},
                                     {"empty.xml", ""},
                                     {"over.xml", LayoutOfSize(CMarkup::kMaxFileSize + 1)}});
    TempDir::Write(dir_.File("main_wnd.xml"), "<PlainFile/>");  // not read while an archive is set

    for (bool cached : {false, true}) {
        CPaintManagerUI::SetResourceZip(L"skin.zip", cached);
        EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle() != nullptr, cached);
        CMarkup markup;
        ASSERT_TRUE(markup.LoadFromFile(L"main_wnd.xml")) << Message(markup);
        EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"t"), kValue);
        ASSERT_TRUE(markup.LoadFromFile(L"sub\\child.xml")) << Message(markup);
        EXPECT_STREQ(markup.GetRoot().GetName(), L"Child");

        struct Case {
            const wchar_t* file;
            const wchar_t* message;
        } cases[] = {
            {L"nothere.xml", L"Could not find ziped file"},
            {L"empty.xml", L"File is empty"},
            {L"over.xml", L"File too large"},
        };
        for (const Case& c : cases) {
            EXPECT_FALSE(markup.LoadFromFile(c.file));
            EXPECT_EQ(Message(markup), c.message);
            EXPECT_EQ(Location(markup), L"");
        }
    }

    CPaintManagerUI::SetResourceZip(L"missing.zip", true);
    CMarkup markup;
    EXPECT_FALSE(markup.LoadFromFile(L"main_wnd.xml"));
    EXPECT_EQ(Message(markup), L"Error opening zip file");

    // Clearing the archive reads plain files again.
    CPaintManagerUI::SetResourceZip(L"");
    ASSERT_TRUE(markup.LoadFromFile(L"main_wnd.xml"));
    EXPECT_STREQ(markup.GetRoot().GetName(), L"PlainFile");
}

TEST_F(MarkupFile, ReportsADamagedArchiveItem) {
    // Store an item uncompressed, then change a byte of its data so the checksum fails.
    const std::string payload = "<Window>" + std::string(2000, 'p') + "</Window>";
    const std::string path = WriteZip(dir_.File("broken.zip"), {{"w.xml", payload}}, true);
    std::string bytes = TempDir::Read(path);
    size_t at = bytes.find(std::string(2000, 'p'));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 10] = 'q';
    TempDir::Write(path, bytes);
    CPaintManagerUI::SetResourceZip(L"broken.zip");
    CMarkup markup;
    EXPECT_FALSE(markup.LoadFromFile(L"w.xml"));
    EXPECT_EQ(Message(markup), L"Could not unzip file");
}

}  // namespace
