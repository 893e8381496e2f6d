#include "core/files/output_name.h"

#include "core/message.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <vector>

namespace core {

namespace {

// Where each character of a name starts.
#if defined(_WIN32)
// UTF-16: a surrogate pair is one character.
std::vector<std::size_t> characterStarts(const std::wstring &units)
{
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < units.size(); ++at) {
        starts.push_back(at);
        if (units[at] >= 0xD800 && units[at] <= 0xDBFF && at + 1 < units.size() &&
            units[at + 1] >= 0xDC00 && units[at + 1] <= 0xDFFF)
            ++at;
    }
    return starts;
}
#else
// UTF-8: a well-formed sequence is one character, any other byte one of its own.
std::vector<std::size_t> characterStarts(const std::string &bytes)
{
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < bytes.size();
         at += std::max<std::size_t>(1, utf8Length(bytes, at)))
        starts.push_back(at);
    return starts;
}
#endif

} // namespace

std::optional<std::filesystem::path> binPathFor(const std::filesystem::path &source)
{
    auto native = source.native();
    const auto starts = characterStarts(native);
    if (starts.size() < 3)
        return std::nullopt;
    native.resize(starts[starts.size() - 3]);
    native.push_back('B');
    native.push_back('I');
    native.push_back('N');
    return std::filesystem::path(std::move(native));
}

std::filesystem::path withExtension(const std::filesystem::path &source, std::string_view extension)
{
    std::filesystem::path path = source;
    std::string dotted(1, '.');
    dotted.append(extension);
    path.replace_extension(std::filesystem::path(dotted));
    return path;
}

bool wouldOverwriteSource(const std::filesystem::path &source, const std::filesystem::path &output)
{
    if (source == output)
        return true;
    std::error_code error;
    // One file has one size. Sizes are asked for first since equivalent() opens both files on
    // Windows, which is slow for each picture of a long run.
    const std::uintmax_t sourceSize = std::filesystem::file_size(source, error);
    if (!error) {
        const std::uintmax_t outputSize = std::filesystem::file_size(output, error);
        if (!error && outputSize != sourceSize)
            return false;
    }
    // equivalent() compares device and file identity, so it sees through letter case on
    // case-insensitive volumes and through symbolic and hard links.
    const bool same = std::filesystem::equivalent(source, output, error);
    return !error && same;
}

} // namespace core
