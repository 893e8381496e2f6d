// Failures of the conversion core, as values: what failed, what it concerns and why, each a
// Message that the window words in Japanese and the command line in its user's language.
#pragma once

#include "core/message.h"

#include <filesystem>
#include <optional>
#include <utility>
#include <variant>

namespace core {

struct Error
{
    enum class Kind
    {
        CannotRead,       // the picture could not be loaded
        CannotWrite,      // an output file could not be written
        OutOfMemory,      // the picture or the output buffer could not be allocated
        NothingConverted, // a BIN write was asked for before any conversion
    };

    Kind kind = Kind::CannotRead;
    // What it concerns: a file (subjectOf(path)), standard input or output; empty for none.
    Message subject;
    Message reason; // empty when there is no more to say
    // The frame of an animation that failed, counted from 1; 0 for none.
    int frame = 0;
};

// The subject of an error about a file: its path as displayPath() shows it.
Message subjectOf(const std::filesystem::path &path);
// "cannot read picture", "cannot write file", ...
Message kindText(Error::Kind kind);

// A value or the Error that prevented it.
template<typename T> class [[nodiscard]] Expected
{
public:
    Expected(T value)
        : m_state(std::move(value))
    {}
    Expected(Error error)
        : m_state(std::move(error))
    {}

    bool ok() const noexcept { return m_state.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    T &value() & { return std::get<0>(m_state); }
    const T &value() const & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const Error &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

template<> class [[nodiscard]] Expected<void>
{
public:
    Expected() = default;
    Expected(Error error)
        : m_error(std::move(error))
    {}

    bool ok() const noexcept { return !m_error; }
    explicit operator bool() const noexcept { return ok(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace core
