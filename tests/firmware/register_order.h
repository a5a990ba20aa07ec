// The register order of a complete download and get, as the tests expect it.
#pragma once

#include <vector>

namespace regorder {

inline void append(std::vector<int>& v, int first, int last) {
    for (int r = first; r <= last; ++r)
        v.push_back(r);
}

inline std::vector<int> download(bool serviceMode) {
    std::vector<int> v{13};
    append(v, 0, 8);
    append(v, 10, 12);
    append(v, 14, 15);
    append(v, 16, 34);
    append(v, 45, 52);
    if (serviceMode)
        append(v, 53, 54);
    append(v, 71, 78);
    for (int s = 1; s <= 4; ++s) {
        const int k = 59 + 3 * (s - 1);
        v.insert(v.end(), {54 + s, 35 + 2 * (s - 1), 36 + 2 * (s - 1), k, k + 1, k + 2, k + 20,
                           k + 21, k + 22});
    }
    v.insert(v.end(), {91, 92, 96, 93, 94, 95, 13});
    return v;
}

// Reads of a get when sensors 1-4 hold the given kinds: 'n' NTC, 'p' PT,
// 'o' other.
inline std::vector<int> get(const char kinds[4]) {
    std::vector<int> v;
    append(v, 0, 34);
    append(v, 45, 54);
    append(v, 71, 78);
    for (int s = 1; s <= 4; ++s) {
        const int k = 59 + 3 * (s - 1);
        v.insert(v.end(), {35 + 2 * (s - 1), 36 + 2 * (s - 1), 54 + s});
        if (kinds[s - 1] == 'n')
            v.insert(v.end(), {k, k + 1, k + 2, k + 20, k + 21, k + 22});
        else if (kinds[s - 1] == 'p')
            v.insert(v.end(), {k, k + 1, k + 20});
    }
    v.insert(v.end(), {91, 92, 96, 93, 94, 95});
    return v;
}

}  // namespace regorder
