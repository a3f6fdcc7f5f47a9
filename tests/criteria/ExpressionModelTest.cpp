// The Expression Wizard's model: the expressions it generates, which texts count as
// special, and that escaped expressions of any model compile and match what they describe.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/core/Settings.h"
#include "app/core/SettingsStore.h"
#include "criteria/core/ExpressionModel.h"
#include "engine/Messages.h"
#include "engine/RegExp.h"

namespace scoutwell {
namespace {

class RecordingSink : public MessageSink {
  public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

class ScopedSink {
  public:
    ScopedSink() : previous_(messageSink()) { setMessageSink(&sink); }
    ~ScopedSink() { setMessageSink(previous_); }
    RecordingSink sink;

  private:
    MessageSink* previous_;
};

ExpressionItem item(std::int32_t position, std::int32_t type, std::string text = {},
                    std::int32_t occurrence = Occurrence::onceOnly) {
    ExpressionItem i;
    i.position = position;
    i.type = type;
    i.text = std::move(text);
    i.occurrence = occurrence;
    return i;
}

ExpressionItem dontKnow(std::int32_t position) {
    return item(position, ItemType::dontKnow, {}, Occurrence::zeroOrOnce);
}

using ItemPosition::begins;
using ItemPosition::ends;
using ItemPosition::followedBy;

TEST(ExpressionModel, GeneratesTheDescribedExpression) {
    struct Case {
        const char* name;
        std::vector<ExpressionItem> items;
        bool escape;
        std::string expected;
    };
    const Case cases[] = {
        {"phrase begins",
         {item(begins, ItemType::phrase, "report"), dontKnow(ends)},
         true,
         "^(report)"},
        {"followed by and ends",
         {dontKnow(begins), item(followedBy, ItemType::phrase, "invoice"),
          item(followedBy, ItemType::numeric, {}, Occurrence::onceOrMany),
          item(ends, ItemType::phrase, "txt")},
         true,
         "(invoice)[0-9]+(txt)$"},
        {"text, spaces, set",
         {item(begins, ItemType::textCharacter, {}, Occurrence::onceOrMany),
          item(followedBy, ItemType::spaces, {}, Occurrence::zeroOrMany),
          item(followedBy, ItemType::anyOneOf, "aeiou", Occurrence::zeroOrOnce), dontKnow(ends)},
         true,
         "^[A-Za-z]+ *[aeiou]?"},
        {"trailing any text stripped",
         {dontKnow(begins), item(followedBy, ItemType::phrase, "abc"),
          item(followedBy, ItemType::anyCharacter, {}, Occurrence::zeroOrMany), dontKnow(ends)},
         true,
         "(abc)"},
        {"character and excluded set",
         {item(begins, ItemType::theCharacter, "x", Occurrence::zeroOrMany),
          item(ends, ItemType::anyExcept, "0-9", Occurrence::onceOrMany)},
         true,
         "^x*[^0-9]+$"},
        {"escaped dot",
         {dontKnow(begins), item(followedBy, ItemType::phrase, "a.b"), dontKnow(ends)},
         true,
         "(a\\.b)"},
        {"unescaped dot",
         {dontKnow(begins), item(followedBy, ItemType::phrase, "a.b"), dontKnow(ends)},
         false,
         "(a.b)"},
        {"empty phrase",
         {dontKnow(begins), item(followedBy, ItemType::phrase, ""), dontKnow(ends)},
         true,
         ""},
        {"empty model", {}, true, ""},
        {"any character at both ends many times",
         {item(begins, ItemType::anyCharacter, {}, Occurrence::zeroOrMany),
          item(followedBy, ItemType::phrase, "a"),
          item(ends, ItemType::anyCharacter, {}, Occurrence::zeroOrMany)},
         true,
         "(a)"},
        {"any character once or many",
         {item(begins, ItemType::anyCharacter, {}, Occurrence::onceOrMany),
          item(ends, ItemType::anyCharacter, {}, Occurrence::onceOrMany)},
         true,
         "^.+.+$"},
        {"any text dropped only while nothing came before",
         {item(followedBy, ItemType::anyCharacter, {}, Occurrence::zeroOrMany),
          item(begins, ItemType::phrase, "a"),
          item(followedBy, ItemType::anyCharacter, {}, Occurrence::zeroOrMany),
          item(followedBy, ItemType::phrase, "b")},
         true,
         "^(a).*(b)"},
        {"several trailing pairs",
         {item(followedBy, ItemType::phrase, "a"),
          item(followedBy, ItemType::anyCharacter, {}, Occurrence::zeroOrMany),
          item(followedBy, ItemType::anyCharacter, {}, Occurrence::zeroOrMany)},
         true,
         "(a)"},
        {"first character only", {item(followedBy, ItemType::theCharacter, "abc")}, true, "a"},
        {"first UTF-8 character whole",
         {item(followedBy, ItemType::theCharacter, "\xC3\xA4x", Occurrence::zeroOrOnce)},
         true,
         "\xC3\xA4?"},
        {"escaped character",
         {item(followedBy, ItemType::theCharacter, ".", Occurrence::onceOrMany)},
         true,
         "\\.+"},
        {"backslash in a phrase",
         {item(followedBy, ItemType::phrase, "c:\\temp")},
         true,
         "(c:\\\\temp)"},
        {"escaped dot at the end stays whole",
         {dontKnow(begins), item(followedBy, ItemType::theCharacter, ".", Occurrence::zeroOrMany),
          dontKnow(ends)},
         true,
         "\\.*"},
        {"unknown occurrence gives no suffix",
         {item(followedBy, ItemType::numeric, {}, 7)},
         true,
         "[0-9]"},
        {"unknown type contributes nothing",
         {item(begins, 9, "x"), item(followedBy, ItemType::phrase, "a")},
         true,
         "(a)"},
    };
    for (const Case& c : cases) {
        ScopedSink messages;
        ExpressionModel model;
        model.appendAll(c.items);
        std::string out = "previous";
        EXPECT_TRUE(model.generate(out, c.escape));
        EXPECT_EQ(out, c.expected) << c.name;
        const bool unknownType = std::string(c.name) == "unknown type contributes nothing";
        EXPECT_EQ(messages.sink.messages, unknownType
                                              ? std::vector<std::string>{kUnexpectedExpressionType}
                                              : std::vector<std::string>{})
            << c.name;
    }
}

TEST(ExpressionModel, DontKnowIsSetToZeroOrManyInTheModel) {
    ExpressionModel model;
    model.append(dontKnow(begins));
    model.append(item(followedBy, ItemType::phrase, "a"));
    std::string out;
    model.generate(out, true);
    EXPECT_EQ(model.items()[0].occurrence, Occurrence::zeroOrMany);
    EXPECT_EQ(model.items()[1].occurrence, Occurrence::onceOnly);
}

TEST(ExpressionModel, SpecialCharactersAreFoundWhereTheyWouldChangeTheMeaning) {
    struct Case {
        std::int32_t type;
        const char* text;
        bool special;
    };
    const Case cases[] = {
        {ItemType::phrase, "abc", false},     {ItemType::phrase, "a.b", true},
        {ItemType::phrase, "c:\\temp", true}, {ItemType::phrase, "x]", true},
        {ItemType::phrase, "a-b,c:d", false}, {ItemType::theCharacter, "?", true},
        {ItemType::theCharacter, "a", false}, {ItemType::anyOneOf, "a^b", false},
        {ItemType::anyOneOf, "^ab", true},    {ItemType::anyOneOf, "a]b", true},
        {ItemType::anyOneOf, "]ab", false},   {ItemType::anyOneOf, "a.b", false},
        {ItemType::anyExcept, "^]$.", false}, {ItemType::dontKnow, ".", false},
        {ItemType::spaces, "*", false},
    };
    for (const Case& c : cases) {
        ExpressionModel model;
        model.append(item(followedBy, ItemType::phrase, "plain"));
        model.append(item(followedBy, c.type, c.text));
        EXPECT_EQ(model.hasSpecialChars(), c.special) << c.type << " " << c.text;
    }
    EXPECT_FALSE(ExpressionModel().hasSpecialChars());
}

TEST(ExpressionModel, WizardDataReadsTheEscapingChoiceAndNeverWritesIt) {
    MemorySettingsStore store;
    EXPECT_FALSE(ExprWizData(store).leaveSpecialChars);
    writeSetting(store, kLeaveSpecialChars, 2);
    const int changes = store.changeCount();
    ExprWizData data(store);
    EXPECT_TRUE(data.leaveSpecialChars);
    data.model.append(item(begins, ItemType::phrase, "a"));
    ExprWizData copy = data;
    copy.model.clear();
    EXPECT_EQ(data.model.items().size(), 1u);
    EXPECT_EQ(store.changeCount(), changes);
}

// A random model whose escaped expression must compile, and a text that it must match:
// each item's contribution laid end to end.
struct RandomModel {
    ExpressionModel model;
    std::string sample;
};

RandomModel randomModel(std::mt19937& random) {
    // Set texts leave out "]" and "-": inside a set the first ends it and the second
    // makes ranges, whatever the escaping.
    const std::string anyText = "ab1 \\^$.[()]|?+*-\xC3\xA4";
    const std::string setText = "ab1 \\^$.[()|?+*";
    auto pick = [&](const std::string& alphabet, int minLength) {
        std::string text;
        const int length = minLength + static_cast<int>(random() % 4);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        return text;
    };
    auto repeat = [&](const std::string& piece, std::int32_t occurrence) {
        const int times = occurrence == Occurrence::onceOnly     ? 1
                          : occurrence == Occurrence::zeroOrOnce ? static_cast<int>(random() % 2)
                          : occurrence == Occurrence::onceOrMany
                              ? 1 + static_cast<int>(random() % 3)
                              : static_cast<int>(random() % 3);
        std::string text;
        for (int i = 0; i < times; ++i)
            text += piece;
        return text;
    };

    RandomModel result;
    const int middle = static_cast<int>(random() % 6);
    int phrases = 0;
    for (int i = 0; i < middle + 2; ++i) {
        ExpressionItem it;
        it.position = i == 0 ? begins : i == middle + 1 ? ends : followedBy;
        it.type = static_cast<std::int32_t>(random() % ItemType::count);
        it.occurrence = static_cast<std::int32_t>(random() % Occurrence::count);
        if (it.type == ItemType::phrase && ++phrases > RegExp::kMaxGroups - 1)
            it.type = ItemType::numeric;
        std::string piece;
        switch (it.type) {
            case ItemType::dontKnow:
                it.occurrence = Occurrence::zeroOrMany;
                piece = "?";
                break;
            case ItemType::anyCharacter:
                piece = "#";
                break;
            case ItemType::theCharacter:
                it.text = pick(anyText, 0);
                if (!it.text.empty() && static_cast<unsigned char>(it.text[0]) >= 0x80)
                    it.text = "z";  // the sample repeats whole characters
                piece = it.text.substr(0, 1);
                break;
            case ItemType::anyOneOf:
                it.text = pick(setText, 0);
                piece = it.text.empty() ? "" : it.text.substr(random() % it.text.size(), 1);
                break;
            case ItemType::anyExcept:
                it.text = pick(setText, 0);
                piece = it.text.empty() ? "" : "Q";
                break;
            case ItemType::phrase:
                it.text = pick(anyText, 0);
                piece = it.text;
                break;
            case ItemType::spaces:
                piece = " ";
                break;
            case ItemType::numeric:
                piece = "7";
                break;
            default:
                piece = "K";
                break;
        }
        if (!piece.empty())
            result.sample += repeat(piece, it.occurrence);
        result.model.append(it);
    }
    return result;
}

TEST(ExpressionModel, EscapedExpressionsCompileAndMatchWhatTheyDescribe) {
    std::mt19937 random(4711);
    for (int round = 0; round < 3000; ++round) {
        RandomModel m = randomModel(random);
        std::string pattern;
        m.model.generate(pattern, /*escapeSpecial=*/true);
        RegExp re;
        ASSERT_TRUE(re.compile(pattern)) << pattern;
        int length = 0;
        const int start = re.search(m.sample, length);
        ASSERT_GE(start, 0) << "pattern " << pattern << " sample " << m.sample;
    }
}

}  // namespace
}  // namespace scoutwell
