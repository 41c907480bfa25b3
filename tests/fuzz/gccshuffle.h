#pragma once
// GCC's __builtin_shuffle for clang, which has only the constant-index
// __builtin_shufflevector: the fuzz build compiles the whole program with
// clang. Element by element; speed does not matter there.
#if defined(__clang__) && defined(__cplusplus)
template <typename V, typename M>
inline V norvik7Shuffle(V a, V b, M mask)
{
    constexpr int n = sizeof(V) / sizeof(a[0]);
    V r{};
    for (int i = 0; i < n; ++i)
        r[i] =
            (static_cast<int>(mask[i]) & (2 * n - 1)) < n ? a[mask[i] & (2 * n - 1)] : b[(mask[i] & (2 * n - 1)) - n];
    return r;
}
template <typename V, typename M>
inline V norvik7Shuffle(V a, M mask)
{
    return norvik7Shuffle(a, a, mask);
}
#define __builtin_shuffle norvik7Shuffle
#endif
