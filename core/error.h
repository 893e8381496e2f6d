// Failures of the conversion core, as values. The core never shows anything: the window turns
// an Error into a Japanese warning, the command line into one English line.
#pragma once

#include <QString>

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
        OutOfMemory,      // the output buffer could not be allocated
        NothingConverted, // a BIN write was asked for before any conversion
    };

    Kind kind = Kind::CannotRead;
    QString path;   // the file concerned; empty when there is none
    QString reason; // the system's or the decoder's own words

    // One line in English: "photo.jpg: cannot read picture: <reason>".
    QString toString() const;
};

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
