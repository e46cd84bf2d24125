#pragma once
// The one look-up the data tables share: a row by its key.
#include <iterator>
#include <string_view>

namespace tc {

// The row of `rows` whose `key` is `key`; nullptr when none is.
template <class Rows>
auto FindByKey(const Rows& rows, std::string_view key) -> decltype(&*std::begin(rows))
{
    for (const auto& row : rows)
        if (row.key == key)
            return &row;
    return nullptr;
}

} // namespace tc
