#pragma once

#include <utility>

// Stores value into field and tells whether that changed it: the body of every setter.
template <typename T, typename U>
bool Assign(T& field, U&& value)
{
    if (field == value)
        return false;
    field = std::forward<U>(value);
    return true;
}
