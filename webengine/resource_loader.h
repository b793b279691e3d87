// Addresses of the page and what it links: resolving them and reading local files, bounded.
#pragma once

#include <string>
#include <string_view>

namespace webengine {

// Largest page, style sheet, script or image the engine reads.
inline constexpr size_t kMaxResourceBytes = 16u * 1024u * 1024u;

// "file://" address of an absolute path, with unsafe characters percent-encoded.
std::string FileUrlFromPath(std::string_view absolutePath);
// Absolute path of a "file:" address; false for other schemes.
bool PathFromFileUrl(std::string_view url, std::string& path);
// Resolves ref against base the way a browser resolves a link in a page. Fragments are dropped.
std::string ResolveUrl(std::string_view base, std::string_view ref);
// Reads a "file:" or "data:" address. False when it is missing, too big or of another scheme.
bool ReadUrl(std::string_view url, std::string& bytes);
bool ReadLocalFile(const std::string& path, std::string& bytes);

}  // namespace webengine
