// Writes the input as an INI file and reads it through every profile call with buffers small
// and large, then rewrites one section: results stay inside their buffers and end with their
// zeros, cut results are the start of whole ones, and the rewrite changes no byte outside the
// section it replaces.
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_profile.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "profile: %s\n", what);
    std::abort();
}

std::string g_file;
std::wstring g_wideFile;
std::string g_folder;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

void MakeFolderOnce() {
    if (!g_folder.empty()) return;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/profile_fuzz.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) Fail("no temporary folder");
    g_folder = pattern;
    g_file = g_folder + "/fuzz.ini";
    g_wideFile.assign(g_file.begin(), g_file.end());
    std::atexit(RemoveFolder);
}

void WriteFile(const std::string& bytes) {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) Fail("cannot write the input");
}

std::string ReadFile() {
    std::ifstream in(g_file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One call into a buffer of exactly `size` characters, so a write past it shows under ASan.
std::wstring Get(const wchar_t* section, const wchar_t* key, DWORD size) {
    std::vector<wchar_t> buffer(size, L'@');
    DWORD n = GetPrivateProfileStringW(section, key, L"fallback \t", buffer.data(), size,
                                       g_wideFile.c_str());
    if (n >= size) Fail("length not inside the buffer");
    if (buffer[n] != L'\0') Fail("result not ended by a zero");
    const bool list = section == nullptr || key == nullptr;
    // A list ends with two zeros: its last name's and its own (or, when cut, two after it).
    if (list && n > 0 && buffer[n - 1] != L'\0' && (n + 1 >= size || buffer[n + 1] != L'\0'))
        Fail("list not ended by two zeros");
    return std::wstring(buffer.data(), n);
}

// The whole result, and the same call with small buffers, whose results must be its start.
std::wstring GetChecked(const wchar_t* section, const wchar_t* key, DWORD large) {
    const std::wstring whole = Get(section, key, large);
    for (DWORD size : {1u, 2u, 3u, 7u}) {
        const std::wstring cut = Get(section, key, size);
        if (whole.compare(0, cut.size(), cut) != 0)
            Fail("cut result is not the start of the whole");
    }
    return whole;
}

std::vector<std::wstring> SplitList(const std::wstring& list) {
    std::vector<std::wstring> names;
    for (size_t start = 0; start < list.size();) {
        size_t zero = list.find(L'\0', start);
        if (zero == std::wstring::npos) zero = list.size();
        names.push_back(list.substr(start, zero - start));
        start = zero + 1;
    }
    return names;
}

// Leading blanks, an optional sign, the digits; no digits or a negative value give 0.
UINT ExpectedInt(const std::wstring& value) {
    size_t pos = value.find_first_not_of(L" \t");
    if (pos == std::wstring::npos) return 0;
    bool negative = false;
    if (value[pos] == L'+' || value[pos] == L'-') negative = value[pos++] == L'-';
    unsigned long long number = 0;
    for (; pos < value.size() && value[pos] >= L'0' && value[pos] <= L'9'; ++pos) {
        number = number * 10 + static_cast<unsigned>(value[pos] - L'0');
        if (number > UINT_MAX) number = UINT_MAX;
    }
    return negative ? 0 : static_cast<UINT>(number);
}

constexpr char kSection[] = "main";
constexpr char kSectionBody[] = "alpha=1\0beta = two words \0";  // ends with the second zero

std::string_view Trim(std::string_view s) {
    size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool IsSection(std::string_view name) {
    if (name.size() != sizeof(kSection) - 1) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c =
            name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a') : name[i];
        if (c != kSection[i]) return false;
    }
    return true;
}

// Where the first section of the fixed name starts and where the next section after it starts;
// both are text.size() when there is none.
void FindSection(const std::string& text, size_t& begin, size_t& tail) {
    begin = tail = text.size();
    for (size_t start = 0; start < text.size();) {
        size_t lf = text.find('\n', start);
        size_t next = lf == std::string::npos ? text.size() : lf + 1;
        size_t end = lf == std::string::npos ? text.size() : lf;
        size_t from = start == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : start;
        std::string_view line =
            from < end ? Trim(std::string_view(text).substr(from, end - from)) : "";
        if (!line.empty() && line[0] == '[') {
            if (begin != text.size()) {
                tail = start;
                return;
            }
            if (IsSection(Trim(line.substr(1, line.find(']') - 1)))) begin = start;
        }
        start = next;
    }
}

void CheckRewrite(const std::string& before) {
    const std::wstring sectionsBefore = Get(nullptr, nullptr, 1 << 16);
    if (!WritePrivateProfileSectionA(kSection, kSectionBody, g_file.c_str()))
        Fail("section write failed");
    const std::string after = ReadFile();

    size_t begin, tail;
    FindSection(before, begin, tail);
    // Bytes before the section and from the next section on are kept as they were.
    if (after.compare(0, begin, before, 0, begin) != 0) Fail("bytes before the section changed");
    const size_t kept = before.size() - tail;
    if (after.size() < begin + kept || after.compare(after.size() - kept, kept, before, tail) != 0)
        Fail("bytes after the section changed");

    const std::wstring sectionsAfter = Get(nullptr, nullptr, 1 << 16);
    std::wstring expected = sectionsBefore;
    if (begin == before.size()) expected += std::wstring(L"main") + L'\0';
    if (sectionsAfter != expected) Fail("section list changed");
    if (Get(L"MAIN", nullptr, 256) != std::wstring(L"alpha\0beta\0", 11))
        Fail("section does not hold exactly the written keys");
    if (Get(L"main", L"beta", 256) != L"two words") Fail("written value not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MakeFolderOnce();
    const std::string text(reinterpret_cast<const char*>(data), size);
    WriteFile(text);

    // No list or value is longer than the file, so this buffer holds every whole result.
    const DWORD large = static_cast<DWORD>(size) + 16;
    std::vector<std::wstring> sections = SplitList(GetChecked(nullptr, nullptr, large));
    sections.push_back(L"no such section");
    size_t queried = 0;
    for (const auto& section : sections) {
        if (++queried > 4) break;
        std::vector<std::wstring> keys = SplitList(GetChecked(section.c_str(), nullptr, large));
        keys.push_back(L"no such key");
        for (size_t i = 0; i < keys.size() && i < 4; ++i) {
            const wchar_t* key = keys[i].c_str();
            const std::wstring value = GetChecked(section.c_str(), key, large);
            const UINT number = GetPrivateProfileIntW(section.c_str(), key, 77, g_wideFile.c_str());
            // An empty text may be a value that is not valid text; only whole values are checked.
            if (!value.empty() && value != L"fallback" && number != ExpectedInt(value))
                Fail("integer differs from the text's leading digits");
        }
    }
    CheckRewrite(text);
    return 0;
}
