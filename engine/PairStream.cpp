#include "engine/PairStream.h"

#include <algorithm>

PairStream memoryStream (const std::vector<double>& x, const std::vector<double>& y)
{
    static constexpr size_t block = 1 << 16;
    return [&x, &y] (const PairVisitor& visit)
    {
        for (size_t i = 0; i < x.size(); i += block)
            visit (x.data() + i, y.data() + i, std::min (block, x.size() - i));
    };
}
