// The keys of keyboard trading: which key runs which action, the defaults for the numeric
// keypad and for the main keyboard, the rules a key must pass, and their INI file. No Qt here;
// keys are texts in the portable form the toolkit writes ("Ctrl+B", "Num+Enter", "F9").
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "trading/order_rules.h"

namespace ft {

enum class KeyAction : int {
    Buy,
    Sell,
    Open,
    CloseToday,
    Close,
    LotsUp,
    LotsDown,
    Lots1,
    Lots5,
    Lots10,
    PriceUp,
    PriceDown,
    FollowPrice,
    Submit,
    CancelAll,
    ClosePosition,
    ReversePosition,
    FocusContract,
    BoardPrevious,
    BoardNext,
    Count
};
inline constexpr int kKeyActionCount = static_cast<int>(KeyAction::Count);

// Each action may have one key on the numeric keypad and one on the main keyboard.
enum class KeySlot : int { Keypad, Main, Count };
inline constexpr int kKeySlotCount = static_cast<int>(KeySlot::Count);

// The name the trader reads (GBK) and the name in the INI file.
const std::string& KeyActionName(KeyAction action);
const char* KeyActionId(KeyAction action);
// Actions that send something to the back-end: never repeated by a held key.
bool KeyActionSends(KeyAction action);

// One key with its modifiers.
struct KeyChord {
    enum Modifier : unsigned { Ctrl = 1, Alt = 2, Shift = 4, Meta = 8, Keypad = 16 };
    unsigned modifiers = 0;
    std::string key;  // "B", "+", "Enter", "F9", "Up"

    // "Ctrl+Shift+Up", "Num++"; modifiers in any order and case. Nothing for an empty text, a
    // key name missing or a modifier-only key.
    static std::optional<KeyChord> Parse(std::string_view text);
    // Modifiers in one fixed order, so equal chords have equal texts.
    std::string Text() const;
    bool Has(Modifier m) const { return (modifiers & m) != 0; }
    bool operator==(const KeyChord& other) const = default;
};

// Why a key cannot be given to an action.
enum class KeyRefusal {
    None,
    NotAKey,     // empty, a modifier alone, or text that names no key
    WrongSlot,   // a main-keyboard key in the keypad column or the other way round
    Reserved,    // F1–F6 switch tabs and panes, Esc, Tab, Alt+letter opens menus
    TextBoxKey,  // text boxes need it (typing, editing, copy and paste)
    Taken,       // another action has it
};
// What the dialog says (GBK).
std::string KeyRefusalText(KeyRefusal refusal, const std::string& keyText,
                           const std::string& takenBy);

// The focused widget as far as typing goes: no text box, a box for numbers (lots, price), or
// a box for any text (the contract box and every other one).
enum class TextBox { None, Numeric, Text };
// Whether a box of that kind takes the key for itself (typing or editing), so the key is not
// an action while the box has the focus. Numeric boxes take digits and '.', from either
// keyboard; the keypad's + - * / and Enter are left to the actions.
bool BoxTakesKey(TextBox box, const KeyChord& chord);

class KeyMap {
public:
    // Every action with its default keys.
    static KeyMap Defaults();

    const std::optional<KeyChord>& Key(KeyAction action, KeySlot slot) const;
    // The action a key runs, if any.
    std::optional<KeyAction> Find(const KeyChord& chord) const;
    // Whether `chord` may become the key of `action` in `slot`; `takenBy` names the action
    // holding it already.
    KeyRefusal Check(KeyAction action, KeySlot slot, const KeyChord& chord,
                     KeyAction* takenBy = nullptr) const;
    // Sets the key after Check; false (nothing changed) when it is refused.
    bool Assign(KeyAction action, KeySlot slot, const KeyChord& chord);
    void Clear(KeyAction action, KeySlot slot);

    bool operator==(const KeyMap& other) const = default;

private:
    std::array<std::array<std::optional<KeyChord>, kKeySlotCount>, kKeyActionCount> keys_{};
};

// The rules for a key in a slot, without looking at the other actions.
KeyRefusal CheckKeyRules(KeySlot slot, const KeyChord& chord);

// hotkeys.ini in the settings folder: sections [keypad] and [main], one line per action id.
// A missing line keeps the default key, an empty value means no key; a line that names no
// usable key, or a key an earlier line took, keeps the default where that is still free.
std::string KeyMapFile();
KeyMap ReadKeyMap(const std::string& file);
bool WriteKeyMap(const KeyMap& map, const std::string& file);

// The connection pane's line for what a sending key started (GBK): the key, the action, the
// order as it was prepared (none for 全撤) and, once known, its outcome; `clock` is "HH:MM:SS".
std::string KeyOrderNotice(const std::string& keyText, KeyAction action, const OrderForm* form,
                           std::optional<OrderOutcome> outcome, const std::string& clock);

}  // namespace ft
