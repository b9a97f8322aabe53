#include "persistence/ValueTreeStreamCheck.h"

#include <juce_data_structures/juce_data_structures.h>

#include <gtest/gtest.h>

namespace
{
juce::MemoryBlock serialise (const juce::ValueTree& tree)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    tree.writeToStream (out);
    out.flush();
    return block;
}

juce::ValueTree richTree()
{
    juce::ValueTree root ("Preset");
    root.setProperty ("int", 42, nullptr);
    root.setProperty ("int64", (juce::int64) 1 << 40, nullptr);
    root.setProperty ("double", 0.125, nullptr);
    root.setProperty ("yes", true, nullptr);
    root.setProperty ("no", false, nullptr);
    root.setProperty ("text", "Grüße", nullptr);
    root.setProperty ("empty", juce::String(), nullptr);
    const float values[] = { 1.0f, -2.0f };
    root.setProperty ("data", juce::var (juce::MemoryBlock (values, sizeof (values))), nullptr);
    root.setProperty ("list", juce::Array<juce::var> { 1, "two", 3.0 }, nullptr);
    juce::ValueTree child ("Child");
    child.appendChild (juce::ValueTree ("Grandchild"), nullptr);
    root.appendChild (child, nullptr);
    return root;
}

std::vector<std::uint8_t> bytes (std::initializer_list<int> list)
{
    std::vector<std::uint8_t> v;
    for (auto b : list)
        v.push_back ((std::uint8_t) b);
    return v;
}
} // namespace

TEST (ValueTreeStreamCheck, acceptsWhatJuceWritesAndRejectsEveryTruncation)
{
    const auto block = serialise (richTree());
    ASSERT_TRUE (isWellFormedValueTreeStream (block.getData(), block.getSize()));

    for (size_t length = 0; length < block.getSize(); ++length)
        EXPECT_FALSE (isWellFormedValueTreeStream (block.getData(), length)) << "prefix of " << length;

    juce::MemoryBlock padded (block);
    padded.append ("\0\0\0", 3);
    EXPECT_TRUE (isWellFormedValueTreeStream (padded.getData(), padded.getSize())) << "trailing bytes are ignored, as JUCE does";
}

TEST (ValueTreeStreamCheck, rejectsCountsAndSizesTheDataCannotHold)
{
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> data;
    };

    const Case cases[] = {
        { "empty type", bytes ({ 0, 0, 0 }) },
        { "type without terminator", bytes ({ 'A', 'B' }) },
        { "no property count", bytes ({ 'A', 0 }) },
        { "two billion children", bytes ({ 'A', 0, 0, 4, 0xff, 0xff, 0xff, 0x7f }) },
        { "negative property count", bytes ({ 'A', 0, 0x81, 1, 0 }) },
        { "compressed int of five bytes", bytes ({ 'A', 0, 5, 1, 1, 1, 1, 1, 0 }) },
        { "binary of two gigabytes", bytes ({ 'A', 0, 1, 1, 'p', 0, 4, 0xff, 0xff, 0xff, 0x7f, 8, 0 }) },
        { "double cut short", bytes ({ 'A', 0, 1, 1, 'p', 0, 1, 3, 4, 0, 0, 0 }) },
        { "array claiming a million elements", bytes ({ 'A', 0, 1, 1, 'p', 0, 1, 6, 7, 3, 0x40, 0x42, 0x0f, 0 }) },
        { "empty property name", bytes ({ 'A', 0, 1, 1, 0, 1, 2, 0 }) },
        { "type with a lying lead byte", bytes ({ 'A', 0xf0, 0, 0, 0 }) },
        { "string value ending in a lead byte", bytes ({ 'A', 0, 1, 1, 'p', 0, 1, 4, 5, 'x', 0xe2, 0, 0 }) },
        { "name with a stray continuation byte", bytes ({ 'A', 0, 1, 1, 0x80, 0, 1, 2, 0 }) },
    };

    for (const auto& c : cases)
        EXPECT_FALSE (isWellFormedValueTreeStream (c.data.data(), c.data.size())) << c.name;

    EXPECT_FALSE (isWellFormedValueTreeStream (nullptr, 10));
}

TEST (ValueTreeStreamCheck, limitsNesting)
{
    auto nested = [] (int depth)
    {
        juce::ValueTree root ("L");
        auto current = root;
        for (int i = 0; i < depth; ++i)
        {
            juce::ValueTree child ("L");
            current.appendChild (child, nullptr);
            current = child;
        }
        return serialise (root);
    };

    const auto shallow = nested (32);
    const auto deep = nested (33);
    EXPECT_TRUE (isWellFormedValueTreeStream (shallow.getData(), shallow.getSize()));
    EXPECT_FALSE (isWellFormedValueTreeStream (deep.getData(), deep.getSize()));

    // A megabyte of nested children would overflow the reader's stack.
    std::vector<std::uint8_t> hostile;
    for (int i = 0; i < 300000; ++i)
        hostile.insert (hostile.end(), { 'L', 0, 0, 1 });
    EXPECT_FALSE (isWellFormedValueTreeStream (hostile.data(), hostile.size()));
}

TEST (ValueTreeStreamCheck, utf8Validation)
{
    struct Case
    {
        std::vector<std::uint8_t> text;
        bool valid;
    };
    for (const auto& c : { Case { { 'a', 'b' }, true }, Case { { 0xc3, 0xbc }, true }, Case { { 0xe2, 0x82, 0xac }, true },
                           Case { { 0xf0, 0x9f, 0x8e, 0xb5 }, true }, Case { { 0xc3 }, false }, Case { { 0xff }, false },
                           Case { { 0xc0, 0x80 }, false }, Case { { 0xe2, 0x28, 0xa1 }, false }, Case { { 0xf8, 0x80, 0x80, 0x80, 0x80 }, false },
                           Case { { 0xe0, 0x86, 0x9a }, false }, Case { { 0xed, 0xa0, 0x80 }, false }, Case { { 0xf4, 0x90, 0x80, 0x80 }, false },
                           Case { { 0xf0, 0x8f, 0xbf, 0xbf }, false }, Case { { 0xef, 0xbf, 0xbf }, true } })
        EXPECT_EQ (isValidUtf8 (c.text.data(), c.text.size()), c.valid) << (int) c.text[0];
}
