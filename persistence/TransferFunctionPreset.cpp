#include "persistence/TransferFunctionPreset.h"

#include "persistence/ValueTreeStreamCheck.h"

#include <cmath>

#include <zlib.h>

namespace
{
constexpr int tableSize = 16384;

// Far above any real table (16384 doubles are 128 KiB): a hostile zlib stream
// can inflate without end, so decoding stops here instead of exhausting memory.
constexpr size_t maximumPayloadBytes = 64 * 1024 * 1024;

juce::MemoryBlock compress (const juce::MemoryBlock& raw)
{
    juce::MemoryBlock compressed;
    {
        juce::MemoryOutputStream out (compressed, false);
        juce::GZIPCompressorOutputStream zlib (out, 9, 15);
        zlib.write (raw.getData(), raw.getSize());
        zlib.flush();
    }
    return compressed;
}

// The zlib stream must end where zlib says it does, its checksum good: a
// stream that breaks off or fails its check is damaged, whatever part of it
// decoded (a byte changed in the middle still inflates to plausible numbers).
juce::String inflate (const juce::MemoryBlock& block, juce::MemoryBlock& payload)
{
    z_stream stream {};
    if (inflateInit (&stream) != Z_OK)
        return "the decompressor could not start";
    stream.next_in = static_cast<Bytef*> (const_cast<void*> (block.getData()));
    stream.avail_in = (uInt) block.getSize();
    juce::MemoryOutputStream out (payload, false);
    unsigned char buffer[8192];
    auto status = Z_OK;
    while (status == Z_OK)
    {
        stream.next_out = buffer;
        stream.avail_out = sizeof (buffer);
        status = ::inflate (&stream, Z_NO_FLUSH);
        const auto produced = sizeof (buffer) - stream.avail_out;
        if (out.getDataSize() + produced > maximumPayloadBytes)
        {
            inflateEnd (&stream);
            return "Base layer payload too large";
        }
        out.write (buffer, produced);
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break; // the input ended before the stream did
    }
    const juce::String message = stream.msg != nullptr ? stream.msg : "";
    inflateEnd (&stream);
    out.flush();
    if (status == Z_STREAM_END)
        return {};
    if (status == Z_BUF_ERROR || status == Z_OK)
        return "Base layer is damaged: its compressed data is cut short";
    return "Base layer is damaged: its compressed data does not decode" + (message.isEmpty() ? juce::String() : " (" + message + ")");
}

std::vector<double> decode (const juce::MemoryBlock& payload, bool singlePrecision)
{
    const auto width = singlePrecision ? 4u : 8u;
    const auto n = payload.getSize() / width;
    std::vector<double> values (n);
    const auto* bytes = static_cast<const char*> (payload.getData());
    for (size_t i = 0; i < n; ++i)
    {
        if (singlePrecision)
            values[i] = (double) juce::ByteOrder::swapIfBigEndian (juce::readUnaligned<float> (bytes + i * width));
        else
            values[i] = juce::ByteOrder::swapIfBigEndian (juce::readUnaligned<double> (bytes + i * width));
    }
    return values;
}

std::vector<double> resampleToTable (const std::vector<double>& values)
{
    const auto n = values.size();
    if (n == (size_t) tableSize)
        return values;
    if (n == 1)
        return std::vector<double> ((size_t) tableSize, values[0]);

    std::vector<double> table ((size_t) tableSize);
    for (int j = 0; j < tableSize; ++j)
    {
        const auto x = j * (double) (n - 1) / 16383.0;
        const auto i = (size_t) x;
        const auto f = x - (double) i;
        table[(size_t) j] = (1.0 - f) * values[i] + f * values[std::min (i + 1, n - 1)];
    }
    return table;
}

PresetReadResult failure (const juce::String& message)
{
    PresetReadResult r;
    r.error = message;
    return r;
}
} // namespace

PresetWriteResult writeTransferFunctionPreset (const std::vector<double>& table, const juce::String& artistName)
{
    PresetWriteResult result;
    if (table.size() != (size_t) tableSize)
    {
        result.error = "Base layer size mismatch: expected " + juce::String (tableSize) + ", got " + juce::String ((juce::int64) table.size());
        return result;
    }

    juce::ValueTree root ("Preset");
    root.setProperty ("formatVersion", 5, nullptr);

    juce::ValueTree metadata ("metadata");
    metadata.setProperty ("name", juce::String(), nullptr);
    metadata.setProperty ("artist", artistName, nullptr);
    metadata.setProperty ("tags", juce::String(), nullptr);
    metadata.setProperty ("description", juce::String(), nullptr);
    root.appendChild (metadata, nullptr);

    juce::ValueTree transferFunction ("transferFunction");
    transferFunction.setProperty ("tableSize", tableSize, nullptr);

    juce::MemoryBlock raw (tableSize * sizeof (float));
    auto* bytes = static_cast<char*> (raw.getData());
    for (int i = 0; i < tableSize; ++i)
        juce::writeUnaligned<float> (bytes + i * 4, juce::ByteOrder::swapIfBigEndian ((float) table[(size_t) i]));

    juce::ValueTree baseLayer ("baseLayer");
    baseLayer.setProperty ("compression", "zlib", nullptr);
    baseLayer.setProperty ("dataF32", juce::var (compress (raw)), nullptr);
    transferFunction.appendChild (baseLayer, nullptr);
    root.appendChild (transferFunction, nullptr);

    juce::MemoryOutputStream out (result.data, false);
    root.writeToStream (out);
    out.flush();
    result.ok = true;
    return result;
}

int presetFormatVersion (const juce::ValueTree& tree)
{
    // As the toolkit converts it, but a double outside the int range (or NaN)
    // from a hostile file counts as no version instead of undefined behaviour.
    const auto& version = tree.getProperty ("formatVersion");
    if (version.isDouble())
    {
        const auto d = (double) version;
        return std::isfinite (d) && std::abs (d) < 1.0e9 ? (int) d : 0;
    }
    if (version.isInt64())
        return (int) juce::jlimit ((juce::int64) -1000000000, (juce::int64) 1000000000, (juce::int64) version);
    return (int) version;
}

PresetReadResult readTransferFunctionPreset (const juce::ValueTree& tree)
{
    if (! tree.isValid())
        return failure ("Invalid ValueTree");
    if (! tree.hasType ("Preset"))
        return failure ("ValueTree is not a Preset type");

    const auto version = presetFormatVersion (tree);
    if (version < 3 || version > 5)
        return failure ("Unsupported format version: " + juce::String (version) + " (expected 3, 4, or 5)");

    const auto transferFunction = tree.getChildWithName ("transferFunction");
    if (! transferFunction.isValid())
        return failure ("Missing transferFunction element");

    const auto baseLayer = transferFunction.getChildWithName ("baseLayer");
    if (! baseLayer.isValid() || ! (baseLayer.hasProperty ("dataF32") || baseLayer.hasProperty ("data")))
        return failure ("Missing or invalid baseLayer element");

    const auto singlePrecision = baseLayer.hasProperty ("dataF32");
    const auto compression = baseLayer.hasProperty ("compression") ? baseLayer.getProperty ("compression").toString() : juce::String ("none");

    const auto* block = baseLayer.getProperty (singlePrecision ? "dataF32" : "data").getBinaryData();
    if (block == nullptr)
        return failure ("Failed to extract binary data from baseLayer");

    // Uncompressed data is decoded where it lies (copying an empty block is
    // undefined behaviour inside the toolkit).
    juce::MemoryBlock inflated;
    const juce::MemoryBlock* payload = block;
    if (compression == "zlib")
    {
        if (const auto damage = inflate (*block, inflated); damage.isNotEmpty())
            return failure (damage);
        payload = &inflated;
    }
    else if (compression != "none")
        return failure ("Unsupported compression type: " + compression);

    const auto values = decode (*payload, singlePrecision);
    if (values.empty())
        return failure ("Empty base layer payload");

    // A table is a curve of finite numbers; NaN or infinity can only come from a
    // damaged or hostile file and must never reach a published table.
    for (auto v : values)
        if (! std::isfinite (v))
            return failure ("Non-finite value in base layer payload");

    PresetReadResult result;
    result.table = resampleToTable (values);
    result.ok = true;
    return result;
}

juce::ValueTree parsePresetBytes (const void* data, size_t size)
{
    if (! isWellFormedValueTreeStream (data, size))
        return {};
    juce::MemoryInputStream in (data, size, false);
    return juce::ValueTree::readFromStream (in);
}
