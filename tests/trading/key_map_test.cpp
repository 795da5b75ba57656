#include "trading/key_map.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "core/text.h"
#include "support/temp_dir_test.h"

namespace ft {
namespace {

KeyChord Chord(const char* text) {
    const auto chord = KeyChord::Parse(text);
    EXPECT_TRUE(chord) << text;
    return chord.value_or(KeyChord{});
}

TEST(KeyMapTest, ChordsParseInAnyOrderAndCaseAndWriteOneForm) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"Ctrl+B", "Ctrl+B"},
        {"shift+ctrl+up", "Ctrl+Shift+Up"},
        {"Num++", "Num++"},
        {"num+enter", "Num+Enter"},
        {"Ctrl++", "Ctrl++"},
        {"+", "+"},
        {"f9", "F9"},
        {"Keypad+5", "Num+5"},
        {"Alt+Down", "Alt+Down"},
        {"ctrl+b", "Ctrl+B"},
        {"Meta+Ctrl+x", "Ctrl+Meta+X"},
    };
    for (const auto& c : cases) {
        const auto chord = KeyChord::Parse(c.text);
        ASSERT_TRUE(chord) << c.text;
        EXPECT_EQ(chord->Text(), c.written) << c.text;
        EXPECT_EQ(KeyChord::Parse(chord->Text()), chord) << c.text;
    }
    for (const char* bad :
         {"", "Ctrl", "Ctrl+", "Shift+Alt", "Hyper+B", "Ctrl+Media Play", "B+Ctrl+", "Num+ "}) {
        EXPECT_FALSE(KeyChord::Parse(bad)) << bad;
    }
}

TEST(KeyMapTest, DefaultsAreUsableDistinctAndCoverEveryAction) {
    const KeyMap map = KeyMap::Defaults();
    std::set<std::string> seen;
    std::set<std::string> names;
    for (int a = 0; a < kKeyActionCount; ++a) {
        const auto action = static_cast<KeyAction>(a);
        EXPECT_TRUE(names.insert(KeyActionName(action)).second) << KeyActionId(action);
        EXPECT_TRUE(map.Key(action, KeySlot::Main)) << KeyActionId(action) << " has no main key";
        for (int s = 0; s < kKeySlotCount; ++s) {
            const auto slot = static_cast<KeySlot>(s);
            if (const auto& key = map.Key(action, slot)) {
                EXPECT_TRUE(seen.insert(key->Text()).second) << key->Text() << " twice";
                EXPECT_EQ(map.Check(action, slot, *key), KeyRefusal::None) << key->Text();
                EXPECT_EQ(map.Find(*key), action) << key->Text();
            }
        }
    }
    // Nothing that sends lies on a keypad digit, where a slip of the finger outside a box
    // would send it.
    for (KeyAction sending :
         {KeyAction::CancelAll, KeyAction::ClosePosition, KeyAction::ReversePosition}) {
        EXPECT_FALSE(map.Key(sending, KeySlot::Keypad)) << KeyActionId(sending);
    }
    EXPECT_EQ(map.Key(KeyAction::Submit, KeySlot::Keypad), Chord("Num+Enter"));
}

TEST(KeyMapTest, RulesRefuseTextBoxKeysReservedKeysAndTheWrongKeyboard) {
    const struct {
        KeySlot slot;
        const char* key;
        KeyRefusal expected;
    } cases[] = {
        // Typing and editing on the main keyboard.
        {KeySlot::Main, "B", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Shift+B", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "5", KeyRefusal::TextBoxKey},
        {KeySlot::Main, ".", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "-", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Space", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Backspace", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Del", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Left", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Shift+End", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Return", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Ctrl+C", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Ctrl+V", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Ctrl+Shift+Z", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Ctrl+Left", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Ctrl+Backspace", KeyRefusal::TextBoxKey},
        // Keys the window already uses.
        {KeySlot::Main, "F1", KeyRefusal::Reserved},
        {KeySlot::Main, "Shift+F6", KeyRefusal::Reserved},
        {KeySlot::Main, "Esc", KeyRefusal::Reserved},
        {KeySlot::Main, "Tab", KeyRefusal::Reserved},
        {KeySlot::Main, "Ctrl+Tab", KeyRefusal::Reserved},
        {KeySlot::Main, "Alt+F", KeyRefusal::Reserved},
        {KeySlot::Main, "Alt+F4", KeyRefusal::Reserved},
        // Each column its own keyboard.
        {KeySlot::Main, "Num+5", KeyRefusal::WrongSlot},
        {KeySlot::Keypad, "Ctrl+B", KeyRefusal::WrongSlot},
        {KeySlot::Keypad, "Num+Left", KeyRefusal::WrongSlot},
        // Usable.
        {KeySlot::Main, "F7", KeyRefusal::None},
        {KeySlot::Main, "Shift+F12", KeyRefusal::None},
        {KeySlot::Main, "Ctrl+F1", KeyRefusal::None},
        {KeySlot::Main, "Ctrl+Q", KeyRefusal::None},
        {KeySlot::Main, "Ctrl+Shift+C", KeyRefusal::TextBoxKey},
        {KeySlot::Main, "Alt+Up", KeyRefusal::None},
        {KeySlot::Main, "Ctrl+Alt+B", KeyRefusal::None},
        {KeySlot::Keypad, "Num+3", KeyRefusal::None},
        {KeySlot::Keypad, "Num+.", KeyRefusal::None},
        {KeySlot::Keypad, "Ctrl+Num+Enter", KeyRefusal::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckKeyRules(c.slot, Chord(c.key)), c.expected) << c.key;
    }
    EXPECT_EQ(CheckKeyRules(KeySlot::Main, KeyChord{}), KeyRefusal::NotAKey);
}

TEST(KeyMapTest, AKeyTakenByAnotherActionIsRefusedAndNamesIt) {
    KeyMap map = KeyMap::Defaults();
    KeyAction holder = KeyAction::Count;
    EXPECT_EQ(map.Check(KeyAction::Sell, KeySlot::Main, Chord("Ctrl+B"), &holder),
              KeyRefusal::Taken);
    EXPECT_EQ(holder, KeyAction::Buy);
    EXPECT_FALSE(map.Assign(KeyAction::Sell, KeySlot::Main, Chord("Ctrl+B")));
    EXPECT_EQ(map.Key(KeyAction::Sell, KeySlot::Main), Chord("Ctrl+S"));
    const std::string text = KeyRefusalText(KeyRefusal::Taken, "Ctrl+B", KeyActionName(holder));
    EXPECT_NE(text.find(Ansi("买入")), std::string::npos);
    // Giving an action the key it has already is no clash; a freed key can be taken.
    EXPECT_TRUE(map.Assign(KeyAction::Buy, KeySlot::Main, Chord("Ctrl+B")));
    map.Clear(KeyAction::Buy, KeySlot::Main);
    EXPECT_TRUE(map.Assign(KeyAction::Sell, KeySlot::Main, Chord("Ctrl+B")));
    EXPECT_EQ(map.Find(Chord("Ctrl+B")), KeyAction::Sell);
    EXPECT_FALSE(map.Find(Chord("Ctrl+S")));
}

TEST(KeyMapTest, BoxesKeepTheirTypingAndEditingKeys) {
    const struct {
        TextBox box;
        const char* key;
        bool taken;
    } cases[] = {
        // The lots and price boxes take digits and the point from either keyboard...
        {TextBox::Numeric, "Num+7", true},
        {TextBox::Numeric, "Num+.", true},
        {TextBox::Numeric, "3", true},
        {TextBox::Numeric, "Backspace", true},
        {TextBox::Numeric, "Num+Left", true},
        {TextBox::Numeric, "Ctrl+V", true},
        // ...but leave the keypad's operators and Enter, and the combinations, to the actions.
        {TextBox::Numeric, "Num++", false},
        {TextBox::Numeric, "Num+/", false},
        {TextBox::Numeric, "Num+Enter", false},
        {TextBox::Numeric, "Ctrl+B", false},
        {TextBox::Numeric, "F9", false},
        // Any other box takes every character.
        {TextBox::Text, "Num++", true},
        {TextBox::Text, "Num+7", true},
        {TextBox::Text, "Return", true},
        {TextBox::Text, "Num+Enter", false},
        {TextBox::Text, "Alt+Up", false},
        {TextBox::None, "Num+7", false},
        {TextBox::None, "Backspace", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BoxTakesKey(c.box, Chord(c.key)), c.taken) << c.key;
    }
}

class KeyMapFileTest : public testing::TempDirTest {
protected:
    std::string File() const { return (dir / "hotkeys.ini").string(); }
    void Write(const std::string& text) const { std::ofstream(File()) << text; }
};

TEST_F(KeyMapFileTest, TheMapComesBackAsWritten) {
    EXPECT_EQ(ReadKeyMap(File()), KeyMap::Defaults());  // no file yet
    KeyMap map = KeyMap::Defaults();
    map.Clear(KeyAction::Buy, KeySlot::Keypad);
    ASSERT_TRUE(map.Assign(KeyAction::Sell, KeySlot::Main, Chord("F12")));
    ASSERT_TRUE(map.Assign(KeyAction::Lots5, KeySlot::Keypad, Chord("Num+3")));
    ASSERT_TRUE(WriteKeyMap(map, File()));
    EXPECT_EQ(ReadKeyMap(File()), map);
}

TEST_F(KeyMapFileTest, BadLinesKeepTheDefaultsAndNoKeyEndsUpTwice) {
    Write(
        "[main]\n"
        "buy=Ctrl+S\n"    // sell's default: buy takes it, sell falls back...
        "sell=Hyper+Q\n"  // ...to its default, which is taken now: no key
        "open=B\n"        // a text-box key: the default stays
        "close=F1\n"      // reserved: the default stays
        "lots_up=Ctrl+Q\n"
        "lots_down=Ctrl+Q\n"  // already given above: the default stays
        "lots_1=\n"           // left without a key on purpose
        "no_such_action=Ctrl+K\n"
        "garbage line\n"
        "[keypad]\n"
        "buy=Ctrl+E\n"  // not a keypad key
        "submit=  Num+Enter  \n"
        "[elsewhere]\n"
        "sell=Ctrl+W\n");
    const KeyMap map = ReadKeyMap(File());
    const KeyMap defaults = KeyMap::Defaults();
    EXPECT_EQ(map.Key(KeyAction::Buy, KeySlot::Main), Chord("Ctrl+S"));
    EXPECT_FALSE(map.Key(KeyAction::Sell, KeySlot::Main));
    EXPECT_EQ(map.Key(KeyAction::Open, KeySlot::Main),
              defaults.Key(KeyAction::Open, KeySlot::Main));
    EXPECT_EQ(map.Key(KeyAction::Close, KeySlot::Main),
              defaults.Key(KeyAction::Close, KeySlot::Main));
    EXPECT_EQ(map.Key(KeyAction::LotsUp, KeySlot::Main), Chord("Ctrl+Q"));
    EXPECT_EQ(map.Key(KeyAction::LotsDown, KeySlot::Main),
              defaults.Key(KeyAction::LotsDown, KeySlot::Main));
    EXPECT_FALSE(map.Key(KeyAction::Lots1, KeySlot::Main));
    EXPECT_FALSE(map.Find(Chord("Ctrl+K")));
    EXPECT_FALSE(map.Find(Chord("Ctrl+W")));
    EXPECT_EQ(map.Key(KeyAction::Buy, KeySlot::Keypad),
              defaults.Key(KeyAction::Buy, KeySlot::Keypad));
    EXPECT_EQ(map.Key(KeyAction::Submit, KeySlot::Keypad), Chord("Num+Enter"));
    // Whatever the file says, every key runs one action only.
    std::set<std::string> seen;
    for (int a = 0; a < kKeyActionCount; ++a) {
        for (int s = 0; s < kKeySlotCount; ++s) {
            if (const auto& key = map.Key(static_cast<KeyAction>(a), static_cast<KeySlot>(s))) {
                EXPECT_TRUE(seen.insert(key->Text()).second) << key->Text();
            }
        }
    }
}

TEST(KeyMapTest, TheNoticeSaysKeyOrderAndOutcome) {
    OrderForm form;
    form.code = "rb2705";
    form.side = OrderSide::Sell;
    form.openClose = OpenClose::Close;
    form.lots = "2";
    form.price = "3500";
    EXPECT_EQ(KeyOrderNotice("F7", KeyAction::ClosePosition, &form, std::nullopt, "10:11:12"),
              Ansi("快捷键 F7 平仓选中持仓：卖平仓 rb2705 2手 价3500 10:11:12"));
    EXPECT_EQ(
        KeyOrderNotice("Num+Enter", KeyAction::Submit, &form, OrderOutcome::Unknown, "09:00:00"),
        Ansi("快捷键 Num+Enter 下单：卖平仓 rb2705 2手 价3500 -> 结果未知 09:00:00"));
    EXPECT_EQ(KeyOrderNotice("F9", KeyAction::CancelAll, nullptr, std::nullopt, "09:00:00"),
              Ansi("快捷键 F9 全撤 09:00:00"));
}

}  // namespace
}  // namespace ft
