#include "persistence/TransferFunctionPreset.h"
#include "plugin/PluginAudioProcessor.h"
#include "persistence/UserSettings.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/TemporaryFolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
juce::File dataFile (const char* name)
{
    return juce::File (SONDERLITH_TEST_DATA_DIR).getChildFile (name);
}

std::vector<double> curve (size_t n)
{
    std::vector<double> v (n);
    for (size_t i = 0; i < n; ++i)
    {
        const auto x = -1.0 + 2.0 * (double) i / (double) (n - 1);
        v[i] = std::tanh (3.0 * x) / std::tanh (3.0);
    }
    return v;
}

juce::ValueTree parse (const juce::MemoryBlock& bytes)
{
    return parsePresetBytes (bytes.getData(), bytes.getSize());
}

juce::MemoryBlock floatsBlock (const std::vector<float>& values)
{
    return juce::MemoryBlock (values.data(), values.size() * sizeof (float));
}

juce::MemoryBlock zlibOf (const juce::MemoryBlock& raw)
{
    juce::MemoryBlock out;
    {
        juce::MemoryOutputStream stream (out, false);
        juce::GZIPCompressorOutputStream zlib (stream, 9, 15);
        zlib.write (raw.getData(), raw.getSize());
    }
    return out;
}

// A preset tree built by hand, for reader cases the writer never produces.
juce::ValueTree presetWith (juce::var version, std::initializer_list<std::pair<const char*, juce::var>> baseLayerProperties)
{
    juce::ValueTree root ("Preset");
    if (! version.isVoid())
        root.setProperty ("formatVersion", version, nullptr);
    juce::ValueTree transferFunction ("transferFunction");
    juce::ValueTree baseLayer ("baseLayer");
    for (const auto& [name, value] : baseLayerProperties)
        baseLayer.setProperty (name, value, nullptr);
    transferFunction.appendChild (baseLayer, nullptr);
    root.appendChild (transferFunction, nullptr);
    return root;
}
} // namespace

TEST (TransferFunctionPreset, roundTripEqualsSinglePrecisionRounding)
{
    auto table = curve (16384);
    table[7] = 1.0 / 3.0;
    const auto written = writeTransferFunctionPreset (table, "Somebody");
    ASSERT_TRUE (written.ok) << written.error;
    EXPECT_TRUE (written.error.isEmpty());

    const auto read = readTransferFunctionPreset (parse (written.data));
    ASSERT_TRUE (read.ok) << read.error;
    ASSERT_EQ (read.table.size(), 16384u);
    for (size_t i = 0; i < table.size(); ++i)
        ASSERT_EQ (read.table[i], (double) (float) table[i]) << i;
}

TEST (TransferFunctionPreset, writtenBytesHaveTheExactTreeAndZlibStream)
{
    const auto written = writeTransferFunctionPreset (curve (16384), "");
    const auto root = parse (written.data);
    ASSERT_TRUE (root.isValid());

    struct Node
    {
        juce::ValueTree tree;
        const char* type;
        std::vector<std::pair<const char*, const char*>> properties; // name, kind
        int children;
    };

    const auto metadata = root.getChild (0), transferFunction = root.getChild (1), baseLayer = transferFunction.getChild (0);
    const Node nodes[] = {
        { root, "Preset", { { "formatVersion", "int" } }, 2 },
        { metadata, "metadata", { { "name", "string" }, { "artist", "string" }, { "tags", "string" }, { "description", "string" } }, 0 },
        { transferFunction, "transferFunction", { { "tableSize", "int" } }, 1 },
        { baseLayer, "baseLayer", { { "compression", "string" }, { "dataF32", "binary" } }, 0 },
    };

    for (const auto& node : nodes)
    {
        SCOPED_TRACE (node.type);
        EXPECT_EQ (node.tree.getType().toString(), node.type);
        ASSERT_EQ (node.tree.getNumProperties(), (int) node.properties.size());
        EXPECT_EQ (node.tree.getNumChildren(), node.children);
        for (int i = 0; i < (int) node.properties.size(); ++i)
        {
            const auto name = node.tree.getPropertyName (i);
            EXPECT_EQ (name.toString(), node.properties[(size_t) i].first);
            const auto& value = node.tree.getProperty (name);
            const juce::String kind = value.isInt() ? "int" : value.isString() ? "string" : value.isBinaryData() ? "binary" : "other";
            EXPECT_EQ (kind, node.properties[(size_t) i].second) << name.toString();
        }
    }

    EXPECT_EQ ((int) root["formatVersion"], 5);
    EXPECT_EQ ((int) transferFunction["tableSize"], 16384);
    EXPECT_EQ (baseLayer["compression"].toString(), "zlib");
    for (auto* key : { "name", "artist", "tags", "description" })
        EXPECT_EQ (metadata[key].toString(), "") << key;

    const auto* block = baseLayer["dataF32"].getBinaryData();
    ASSERT_NE (block, nullptr);
    const auto* bytes = static_cast<const unsigned char*> (block->getData());
    EXPECT_EQ (bytes[0], 0x78);                      // deflate, 32 KiB window
    EXPECT_EQ (bytes[1] >> 6, 3);                    // level 9 announced
    EXPECT_EQ (((bytes[0] << 8) | bytes[1]) % 31, 0); // header check bits

    juce::MemoryBlock inflated;
    juce::MemoryInputStream in (*block, false);
    juce::GZIPDecompressorInputStream zlib (&in, false, juce::GZIPDecompressorInputStream::zlibFormat);
    zlib.readIntoMemoryBlock (inflated);
    EXPECT_EQ (inflated.getSize(), 65536u);
}

TEST (TransferFunctionPreset, readsTheGoldenFiles)
{
    struct Case
    {
        const char* file;
        std::function<double (int)> expected;
        double tolerance;
    };

    const auto tanhAt = [] (double x) { return std::tanh (3.0 * x) / std::tanh (3.0); };
    const Case cases[] = {
        { "golden-v5-zlib-f32.tfunc", [&] (int i) { return (double) (float) tanhAt (-1.0 + 2.0 * i / 16383.0); }, 0.0 },
        // 100 doubles, linear interpolation between them
        { "golden-v3-f64-100-uncompressed.tfunc",
          [&] (int j)
          {
              const auto x = j * 99.0 / 16383.0;
              const auto i = (int) x;
              const auto f = x - i;
              auto v = [&] (int k) { return tanhAt (-1.0 + 2.0 * k / 99.0); };
              return (1 - f) * v (i) + f * v (std::min (i + 1, 99));
          },
          1e-15 },
        // 7 floats 0, 0.5, ... 3.0 plus two stray bytes
        { "golden-v4-none-f32-odd.tfunc", [] (int j) { return 3.0 * j / 16383.0; }, 1e-12 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.file);
        juce::MemoryBlock bytes;
        ASSERT_TRUE (dataFile (c.file).loadFileAsData (bytes));
        const auto result = readTransferFunctionPreset (parse (bytes));
        ASSERT_TRUE (result.ok) << result.error;
        for (int j = 0; j < 16384; ++j)
            ASSERT_NEAR (result.table[(size_t) j], c.expected (j), c.tolerance) << j;
    }
}

juce::MemoryBlock cutShort (juce::MemoryBlock block, size_t bytes)
{
    block.setSize (block.getSize() - bytes);
    return block;
}

// The byte `fromEnd` places before the end, inverted.
juce::MemoryBlock withByteFlipped (juce::MemoryBlock block, size_t fromEnd)
{
    auto* bytes = static_cast<char*> (block.getData());
    bytes[block.getSize() - fromEnd] = (char) ~bytes[block.getSize() - fromEnd];
    return block;
}

TEST (TransferFunctionPreset, readerErrorsInTheirOrder)
{
    juce::MemoryBlock bomb (64 * 1024 * 1024 + 16, true);

    struct Case
    {
        const char* name;
        juce::ValueTree tree;
        const char* error;
    };

    const Case cases[] = {
        { "no tree", juce::ValueTree(), "Invalid ValueTree" },
        { "other type", juce::ValueTree ("Other"), "ValueTree is not a Preset type" },
        { "no version", presetWith ({}, { { "dataF32", floatsBlock ({ 1.0f }) } }), "Unsupported format version: 0 (expected 3, 4, or 5)" },
        { "version 6", presetWith (6, { { "dataF32", floatsBlock ({ 1.0f }) } }), "Unsupported format version: 6 (expected 3, 4, or 5)" },
        { "version 2", presetWith (2, {}), "Unsupported format version: 2 (expected 3, 4, or 5)" },
        { "version 9e223", presetWith (9.0e223, {}), "Unsupported format version: 0 (expected 3, 4, or 5)" },
        { "version NaN", presetWith (std::numeric_limits<double>::quiet_NaN(), {}), "Unsupported format version: 0 (expected 3, 4, or 5)" },
        { "no transferFunction", [] { juce::ValueTree t ("Preset"); t.setProperty ("formatVersion", 5, nullptr); return t; }(),
          "Missing transferFunction element" },
        { "no data", presetWith (5, { { "compression", "zlib" } }), "Missing or invalid baseLayer element" },
        { "string data", presetWith (5, { { "dataF32", "abc" } }), "Failed to extract binary data from baseLayer" },
        { "ZLIB in capitals", presetWith (5, { { "compression", "ZLIB" }, { "dataF32", floatsBlock ({ 1.0f }) } }),
          "Unsupported compression type: ZLIB" },
        { "3 bytes", presetWith (5, { { "dataF32", juce::MemoryBlock ("abc", 3) } }), "Empty base layer payload" },
        { "no bytes, uncompressed", presetWith (5, { { "compression", "none" }, { "dataF32", juce::MemoryBlock() } }), "Empty base layer payload" },
        { "NaN value", presetWith (5, { { "dataF32", floatsBlock ({ 0.5f, std::nanf ("") }) } }), "Non-finite value in base layer payload" },
        { "zlib bomb", presetWith (5, { { "compression", "zlib" }, { "dataF32", zlibOf (bomb) } }), "Base layer payload too large" },
        // A stream broken off, or one byte changed so the checksum fails: damaged, whatever part of it decodes.
        { "zlib cut short", presetWith (5, { { "compression", "zlib" }, { "dataF32", cutShort (zlibOf (floatsBlock (std::vector<float> (16384, 0.5f))), 6) } }),
          "Base layer is damaged: its compressed data is cut short" },
        { "zlib checksum", presetWith (5, { { "compression", "zlib" }, { "dataF32", withByteFlipped (zlibOf (floatsBlock (std::vector<float> (16384, 0.5f))), 1) } }),
          "Base layer is damaged: its compressed data does not decode (incorrect data check)" },
    };

    for (const auto& c : cases)
    {
        const auto r = readTransferFunctionPreset (c.tree);
        EXPECT_FALSE (r.ok) << c.name;
        EXPECT_TRUE (r.table.empty()) << c.name;
        EXPECT_EQ (r.error, c.error) << c.name;
    }
}

TEST (TransferFunctionPreset, acceptedVariants)
{
    const std::vector<double> doubles { 0.25, -0.5 };
    const juce::MemoryBlock doubleBlock (doubles.data(), doubles.size() * sizeof (double));

    struct Case
    {
        const char* name;
        juce::ValueTree tree;
        double first, last;
    };

    const Case cases[] = {
        { "version 3", presetWith (3, { { "dataF32", floatsBlock ({ 1.0f, 2.0f }) } }), 1.0, 2.0 },
        { "version 4 as string", presetWith ("4", { { "dataF32", floatsBlock ({ 1.0f, 2.0f }) } }), 1.0, 2.0 },
        { "dataF32 wins over data", presetWith (5, { { "data", doubleBlock }, { "dataF32", floatsBlock ({ 3.0f, 4.0f }) } }), 3.0, 4.0 },
        { "data, no compression", presetWith (5, { { "data", doubleBlock } }), 0.25, -0.5 },
        { "zlib doubles", presetWith (5, { { "compression", "zlib" }, { "data", zlibOf (doubleBlock) } }), 0.25, -0.5 },
        { "10 bytes = 2 floats", presetWith (5, { { "dataF32", juce::MemoryBlock ("\0\0\x80\x3f\0\0\0\x40zz", 10) } }), 1.0, 2.0 },
        { "one value", presetWith (5, { { "compression", "none" }, { "dataF32", floatsBlock ({ 0.75f }) } }), 0.75, 0.75 },
    };

    for (const auto& c : cases)
    {
        const auto r = readTransferFunctionPreset (c.tree);
        ASSERT_TRUE (r.ok) << c.name << ": " << r.error;
        ASSERT_EQ (r.table.size(), 16384u) << c.name;
        EXPECT_EQ (r.table.front(), c.first) << c.name;
        EXPECT_EQ (r.table.back(), c.last) << c.name;
    }

    std::vector<float> hundred;
    for (int k = 0; k < 100; ++k)
        hundred.push_back ((float) k);
    const auto r = readTransferFunctionPreset (presetWith (5, { { "dataF32", floatsBlock (hundred) } }));
    ASSERT_TRUE (r.ok);
    EXPECT_EQ (r.table[0], 0.0);
    EXPECT_EQ (r.table[16383], 99.0);
    EXPECT_NEAR (r.table[8192], 8192 * 99.0 / 16383.0, 1e-12);
}

TEST (TransferFunctionPreset, writerRefusesAWrongSize)
{
    const auto r = writeTransferFunctionPreset (std::vector<double> (100, 0.0), "x");
    EXPECT_FALSE (r.ok);
    EXPECT_TRUE (r.data.isEmpty());
    EXPECT_EQ (r.error, "Base layer size mismatch: expected 16384, got 100");
}

TEST (TransferFunctionPreset, processorExportsAndRestores)
{
    test::TemporaryFolders folders;
    saveArtistName ("Ada");

    PluginAudioProcessor source;
    const auto table = curve (16384);
    source.writeSmoothedBinsToTransferFunction (table);
    juce::MemoryBlock bytes;
    source.exportTransferFunctionPreset (bytes);
    ASSERT_FALSE (bytes.isEmpty());
    EXPECT_EQ (parse (bytes).getChildWithName ("metadata")["artist"].toString(), "Ada");

    PluginAudioProcessor target;
    int notifications = 0;
    target.onTransferFunctionChanged = [&] { ++notifications; };

    // Bad bytes: nothing changes, nothing is posted.
    const auto golden = [] { juce::MemoryBlock b; dataFile ("golden-v5-zlib-f32.tfunc").loadFileAsData (b); return b; }();
    const char* junk = "not a preset at all";
    const auto wrongType = [] { juce::MemoryBlock b; juce::MemoryOutputStream o (b, false); juce::ValueTree ("Other").writeToStream (o); return b; }();
    for (const auto& [data, size] : std::vector<std::pair<const void*, int>> {
             { junk, (int) std::strlen (junk) }, { golden.getData(), 40 }, { golden.getData(), (int) golden.getSize() - 1 },
             { wrongType.getData(), (int) wrongType.getSize() }, { nullptr, 0 } })
        target.restoreTransferFunction (data, size);
    test::runMessageLoopFor (50);
    EXPECT_EQ (notifications, 0);
    EXPECT_EQ (target.transferFunction.load (0), -1.0);

    target.restoreTransferFunction (bytes.getData(), (int) bytes.getSize());
    ASSERT_TRUE (test::runMessageLoopUntil ([&] { return notifications == 1; }));
    for (int i = 0; i < 16384; i += 97)
        ASSERT_EQ (target.transferFunction.load (i), (double) (float) table[(size_t) i]);
}

// Single bytes of a zlib preset changed (the fuzz seeds): every mutant is
// refused or reads as the original table, never as other numbers.
TEST (TransferFunctionPreset, damagedCopiesAreRefusedNotMisread)
{
    const auto seeds = juce::File (SONDERLITH_TEST_DATA_DIR).getSiblingFile ("fuzz").getChildFile ("corpus").getChildFile ("FuzzPresetBytes");
    auto readFile = [] (const juce::File& f)
    {
        juce::MemoryBlock bytes;
        f.loadFileAsData (bytes);
        return readTransferFunctionPreset (parsePresetBytes (bytes.getData(), bytes.getSize()));
    };
    const auto original = readFile (seeds.getChildFile ("v5-zlib-f32"));
    ASSERT_TRUE (original.ok) << original.error;
    int mutants = 0, accepted = 0;
    for (const auto& mutant : seeds.findChildFiles (juce::File::findFiles, false, "mutant-*"))
    {
        ++mutants;
        const auto read = readFile (mutant);
        if (! read.ok)
            continue;
        ++accepted;
        EXPECT_EQ (read.table, original.table) << mutant.getFileName() << " reads as a different table";
    }
    EXPECT_EQ (mutants, 600);
    EXPECT_LT (accepted, mutants) << "most changes damage the preset";
}
