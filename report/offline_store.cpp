#include "report/offline_store.h"

#include <cstdio>
#include <set>
#include <vector>

#include "platform/win_profile.h"
#include "sys/paths_config.h"
#include "sys/text_convert.h"

namespace {

// Length of `line` after cutting a multi-byte character that the buffer split.
size_t CharacterBoundary(const char* line, size_t length) {
    size_t start = length;
    while (start > 0 && (static_cast<unsigned char>(line[start - 1]) & 0xC0) == 0x80) --start;
    if (start == 0) return length;
    unsigned char lead = static_cast<unsigned char>(line[start - 1]);
    size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length - (start - 1) < expected ? start - 1 : length;
}

std::string FormatLine(const char* format, const std::string& value, size_t bufferBytes) {
    std::vector<char> buffer(bufferBytes, '\0');
    int wanted = std::snprintf(buffer.data(), bufferBytes, format, value.c_str());
    if (wanted < 0) return {};
    size_t length = static_cast<size_t>(wanted);
    if (length >= bufferBytes) length = CharacterBoundary(buffer.data(), bufferBytes - 1);
    return std::string(buffer.data(), length);
}

// Lower-cased section names of the file, as the profile functions compare them.
std::set<std::string> SectionNames(const std::wstring& file) {
    std::vector<wchar_t> buffer(4096);
    for (;;) {
        DWORD n = GetPrivateProfileStringW(nullptr, nullptr, L"", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
        if (n + 2 < buffer.size()) break;
        buffer.resize(buffer.size() * 2);
    }
    std::set<std::string> names;
    for (const wchar_t* p = buffer.data(); *p != L'\0'; p += wcslen(p) + 1) {
        std::string name = WideToAnsi(p);
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        names.insert(name);
    }
    return names;
}

}  // namespace

std::string OfflineSectionName(const SYSTEMTIME& utc) {
    char name[MAX_PATH] = {};
    std::snprintf(name, sizeof(name), "sec_%04d%02d%02d_%02d%02d%02d", utc.wYear, utc.wMonth,
                  utc.wDay, utc.wHour + 8, utc.wMinute, utc.wSecond);
    return name;
}

bool StoreToolLogSection(const ToolLogRecord& record, const SYSTEMTIME& utc,
                         const std::string& file) {
    struct Field {
        const char* format;
        const std::string& value;
        size_t bufferBytes;
    };
    const Field fields[] = {
        {"ename=%s", record.ename, 260},      {"runid=%s", record.runid, 260},
        {"uid=%s", record.uid, 260},          {"pid=%s", record.pid, 260},
        {"state=%s", record.state, 260},      {"data=%s", record.data, 13000},
        {"remarks=%s", record.remarks, 1300}, {"t=%s", record.t, 260},
        {"key=%s", record.key, 260},
    };
    std::vector<std::string> lines;
    size_t total = 0;
    for (const auto& field : fields) {
        lines.push_back(FormatLine(field.format, field.value, field.bufferBytes));
        total += lines.back().size();
    }
    // Every line ends with a zero and the block with one more.
    std::vector<char> block(total + 12, '\0');
    size_t at = 0;
    for (const auto& line : lines) {
        line.copy(block.data() + at, line.size());
        at += line.size() + 1;
    }

    const std::string base = OfflineSectionName(utc);
    std::string name = base;
    const std::set<std::string> taken = SectionNames(AnsiToWide(file));
    for (int n = 2; taken.count(name) > 0; ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), "_%d", n);
        name = base + suffix;
    }
    return WritePrivateProfileSectionA(name.c_str(), block.data(), file.c_str()) != FALSE;
}

void StoreToolLogOffline(const ToolLogRecord& record) {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    std::string file;
    GetConfigValue("logIni", file);
    if (file.empty()) return;
    StoreToolLogSection(record, utc, file);
}
