#pragma once

#include <optional>
#include <optional>
#include <utility>
#include <variant>

namespace vexa {

// A value or the error that stands in its place. Used across co_await boundaries instead of
// exceptions (QCoro 0.8 loses exceptions in detached tasks).
template <typename T, typename E>
class [[nodiscard]] Expected
{
public:
    Expected(T value) : m_data(std::in_place_index<0>, std::move(value)) {}
    Expected(E error) : m_data(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return m_data.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T &value() & { return std::get<0>(m_data); }
    const T &value() const & { return std::get<0>(m_data); }
    T &&value() && { return std::get<0>(std::move(m_data)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }
    const T &operator*() const & { return value(); }

    const E &error() const & { return std::get<1>(m_data); }
    E &&error() && { return std::get<1>(std::move(m_data)); }

private:
    std::variant<T, E> m_data;
};

// Expected<void, E>: success or an error.
template <typename E>
class [[nodiscard]] Outcome
{
public:
    Outcome() = default;
    Outcome(E error) : m_error(std::move(error)) {}

    bool hasValue() const { return !m_error.has_value(); }
    explicit operator bool() const { return hasValue(); }
    const E &error() const { return *m_error; }

private:
    // Held only on failure, so error types without a default value (ClientError) work too.
    std::optional<E> m_error;
};

} // namespace vexa
