#include "persistence/ValueTreeStreamCheck.h"

#include <cstdint>
#include <cstring>

namespace
{
// Mirrors the layout written by juce::ValueTree::writeToStream and
// juce::var::writeToStream.
class StreamChecker
{
public:
    StreamChecker (const std::uint8_t* d, std::size_t n, int depthLimit) : data (d), size (n), maxDepth (depthLimit) {}

    bool tree (int depth)
    {
        if (depth > maxDepth || ! nonEmptyString())
            return false;

        std::int64_t numProperties = 0;
        if (! count (numProperties))
            return false;
        for (std::int64_t i = 0; i < numProperties; ++i)
            if (! nonEmptyString() || ! variant (depth + 1))
                return false;

        std::int64_t numChildren = 0;
        if (! count (numChildren))
            return false;
        for (std::int64_t i = 0; i < numChildren; ++i)
            if (! tree (depth + 1))
                return false;
        return true;
    }

private:
    enum Marker : std::uint8_t
    {
        intMarker = 1, trueMarker, falseMarker, doubleMarker, stringMarker, int64Marker, arrayMarker, binaryMarker
    };

    std::size_t remaining() const { return size - position; }

    bool skip (std::size_t n)
    {
        if (n > remaining())
            return false;
        position += n;
        return true;
    }

    bool compressedInt (std::int64_t& value)
    {
        if (remaining() < 1)
            return false;
        const auto sizeByte = data[position++];
        const auto numBytes = (std::size_t) (sizeByte & 0x7f);
        if (numBytes > 4 || numBytes > remaining())
            return false;

        std::uint32_t magnitude = 0;
        for (std::size_t i = 0; i < numBytes; ++i)
            magnitude |= (std::uint32_t) data[position + i] << (8 * i);
        position += numBytes;
        value = (sizeByte & 0x80) != 0 ? -(std::int64_t) magnitude : (std::int64_t) magnitude;
        return true;
    }

    // A count of items that each take at least one byte cannot exceed what is left.
    bool count (std::int64_t& value)
    {
        return compressedInt (value) && value >= 0 && (std::uint64_t) value <= remaining();
    }

    bool nonEmptyString()
    {
        const auto* start = data + position;
        const auto* end = static_cast<const std::uint8_t*> (std::memchr (start, 0, remaining()));
        if (end == nullptr || end == start || ! isValidUtf8 (start, (std::size_t) (end - start)))
            return false;
        position += (std::size_t) (end - start) + 1;
        return true;
    }

    // A string value: its bytes end with the terminator the writer adds.
    bool stringPayload (std::size_t payload)
    {
        if (payload > remaining())
            return false;
        const auto* start = data + position;
        const auto* end = static_cast<const std::uint8_t*> (std::memchr (start, 0, payload));
        const auto length = end != nullptr ? (std::size_t) (end - start) : payload;
        if (! isValidUtf8 (start, length))
            return false;
        position += payload;
        return true;
    }

    bool variant (int depth)
    {
        if (depth > maxDepth)
            return false;

        std::int64_t numBytes = 0;
        if (! compressedInt (numBytes) || numBytes < 0)
            return false;
        if (numBytes == 0)
            return true;
        if ((std::uint64_t) numBytes > remaining())
            return false;

        const auto marker = data[position++];
        const auto payload = (std::size_t) numBytes - 1;
        switch (marker)
        {
            case intMarker: return skip (4);
            case int64Marker:
            case doubleMarker: return skip (8);
            case trueMarker:
            case falseMarker: return true;
            case arrayMarker:
            {
                std::int64_t numElements = 0;
                if (! count (numElements))
                    return false;
                for (std::int64_t i = 0; i < numElements; ++i)
                    if (! variant (depth + 1))
                        return false;
                return true;
            }
            case stringMarker: return stringPayload (payload);
            case binaryMarker:
            default: return skip (payload);
        }
    }

    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
    int maxDepth;
};
} // namespace

bool isValidUtf8 (const void* data, std::size_t size) noexcept
{
    // Well-formed UTF-8 as RFC 3629 defines it: no overlong forms, no
    // surrogates, nothing above U+10FFFF. The toolkit re-encodes what it
    // decodes, so anything looser can change a string's length under it.
    const auto* bytes = static_cast<const std::uint8_t*> (data);
    for (std::size_t i = 0; i < size;)
    {
        const auto lead = bytes[i];
        std::size_t continuation = 0;
        std::uint8_t low = 0x80, high = 0xbf; // range of the first continuation byte
        if (lead < 0x80)
            continuation = 0;
        else if (lead >= 0xc2 && lead <= 0xdf)
            continuation = 1;
        else if (lead >= 0xe0 && lead <= 0xef)
        {
            continuation = 2;
            low = lead == 0xe0 ? 0xa0 : 0x80;
            high = lead == 0xed ? 0x9f : 0xbf;
        }
        else if (lead >= 0xf0 && lead <= 0xf4)
        {
            continuation = 3;
            low = lead == 0xf0 ? 0x90 : 0x80;
            high = lead == 0xf4 ? 0x8f : 0xbf;
        }
        else
            return false;

        if (continuation > size - i - 1)
            return false;
        for (std::size_t k = 1; k <= continuation; ++k)
        {
            const auto b = bytes[i + k];
            if (k == 1 ? (b < low || b > high) : (b & 0xc0) != 0x80)
                return false;
        }
        i += continuation + 1;
    }
    return true;
}

bool isWellFormedValueTreeStream (const void* data, std::size_t size, int maxDepth) noexcept
{
    if (data == nullptr || size == 0)
        return false;
    return StreamChecker (static_cast<const std::uint8_t*> (data), size, maxDepth).tree (0);
}
