#include "trading/key_map.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/text.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace ft {
namespace {

struct ActionInfo {
    const char* id;
    const char* name;  // UTF-8
    const char* keypad;
    const char* main;
    bool sends;
};

// Keypad: the operators and Enter do the most used things and work while the lots or price box
// has the focus; the digits act only while no box that takes digits has it. Nothing that sends
// lies on a digit. Main keyboard: Ctrl combinations and F7–F9, none of them typing text.
constexpr std::array<ActionInfo, kKeyActionCount> kActions{{
    {"buy", "买入", "Num+/", "Ctrl+B", false},
    {"sell", "卖出", "Num+*", "Ctrl+S", false},
    {"open", "开仓", "Num+7", "Ctrl+O", false},
    {"close_today", "平今", "Num+1", "Ctrl+J", false},
    {"close", "平仓", "Num+9", "Ctrl+P", false},
    {"lots_up", "手数加1", "Num++", "Ctrl+Up", false},
    {"lots_down", "手数减1", "Num+-", "Ctrl+Down", false},
    {"lots_1", "手数设为1", "", "Ctrl+1", false},
    {"lots_5", "手数设为5", "", "Ctrl+5", false},
    {"lots_10", "手数设为10", "", "Ctrl+0", false},
    {"price_up", "价格加一跳", "Num+6", "Ctrl+Shift+Up", false},
    {"price_down", "价格减一跳", "Num+4", "Ctrl+Shift+Down", false},
    {"follow_price", "回到跟盘价", "Num+5", "Ctrl+G", false},
    {"submit", "下单", "Num+Enter", "Ctrl+Return", true},
    {"cancel_all", "全撤", "", "F9", true},
    {"close_position", "平仓选中持仓", "", "F7", true},
    {"reverse_position", "快捷反手", "", "F8", true},
    {"focus_contract", "合约框", "Num+0", "Ctrl+L", false},
    {"board_previous", "报价表上一行", "Num+8", "Alt+Up", false},
    {"board_next", "报价表下一行", "Num+2", "Alt+Down", false},
}};

const ActionInfo& Info(KeyAction action) {
    return kActions[static_cast<std::size_t>(action)];
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsOneOf(const std::string& key, std::initializer_list<const char*> names) {
    const std::string lower = Lower(key);
    return std::any_of(names.begin(), names.end(),
                       [&lower](const char* name) { return lower == name; });
}

// A key that types a character: letters, digits, punctuation and the space bar.
bool IsCharacterKey(const std::string& key) {
    return (key.size() == 1 && std::isprint(static_cast<unsigned char>(key[0]))) ||
           IsOneOf(key, {"space"});
}

bool IsDigitOrPoint(const std::string& key) {
    return key.size() == 1 && (std::isdigit(static_cast<unsigned char>(key[0])) || key[0] == '.');
}

// Keys that move the cursor or change the text in a box.
bool IsEditingKey(const std::string& key) {
    return IsOneOf(key, {"backspace", "del", "delete", "ins", "insert", "left", "right", "up",
                         "down", "home", "end", "pgup", "pgdown", "return", "enter", "menu"});
}

// Ctrl (or Meta) combinations every text box answers: select all, copy, paste, cut, undo,
// redo, and the word moves and deletions.
bool IsEditingShortcut(const KeyChord& chord) {
    if (!(chord.Has(KeyChord::Ctrl) || chord.Has(KeyChord::Meta)) || chord.Has(KeyChord::Alt)) {
        return false;
    }
    return IsOneOf(chord.key, {"a", "c", "v", "x", "z", "y", "left", "right", "home", "end",
                               "backspace", "del", "delete", "ins", "insert"});
}

bool IsKeypadKey(const std::string& key) {
    return IsDigitOrPoint(key) || IsOneOf(key, {"+", "-", "*", "/", "enter"});
}

// F1 to F5 show the tabs, F6 and Shift+F6 move between the panes.
bool IsPaneKey(const KeyChord& chord) {
    if (chord.Has(KeyChord::Ctrl) || chord.Has(KeyChord::Alt) || chord.Has(KeyChord::Meta)) {
        return false;
    }
    return IsOneOf(chord.key, {"f1", "f2", "f3", "f4", "f5", "f6"});
}

// Key names as the toolkit writes them, whatever case the file has.
std::string CanonicalKey(std::string_view name) {
    if (name.size() == 1) {
        return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(name[0]))));
    }
    static const char* const kNames[] = {"Enter",     "Return", "Up",   "Down",  "Left",
                                         "Right",     "Home",   "End",  "PgUp",  "PgDown",
                                         "Del",       "Ins",    "Esc",  "Tab",   "Backtab",
                                         "Backspace", "Space",  "Menu", "Pause", "Print"};
    const std::string lower = Lower(name);
    for (const char* known : kNames) {
        if (lower == Lower(known)) {
            return known;
        }
    }
    if (lower.size() >= 2 && lower[0] == 'f' &&
        std::all_of(lower.begin() + 1, lower.end(),
                    [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return "F" + lower.substr(1);
    }
    return std::string(name);
}

constexpr const char* kSectionNames[kKeySlotCount] = {"keypad", "main"};
// What a missing line reads as; no key is named so.
constexpr const char* kMissing = "\x01";

}  // namespace

const std::string& KeyActionName(KeyAction action) {
    return Ansi(Info(action).name);
}

const char* KeyActionId(KeyAction action) {
    return Info(action).id;
}

bool KeyActionSends(KeyAction action) {
    return Info(action).sends;
}

std::optional<KeyChord> KeyChord::Parse(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    // The key itself may be "+": "Num++", "+".
    std::string_view key;
    std::string_view prefix;
    if (text.back() == '+') {
        key = text.substr(text.size() - 1);
        prefix = text.substr(0, text.size() - 1);
        if (!prefix.empty() && prefix.back() != '+') {
            return std::nullopt;
        }
    } else {
        const std::size_t plus = text.rfind('+');
        key = plus == std::string_view::npos ? text : text.substr(plus + 1);
        prefix = plus == std::string_view::npos ? std::string_view() : text.substr(0, plus + 1);
    }
    KeyChord chord;
    while (!prefix.empty()) {
        const std::size_t plus = prefix.find('+');
        const std::string name = Lower(prefix.substr(0, plus));
        prefix.remove_prefix(plus + 1);
        if (name == "ctrl" || name == "control") {
            chord.modifiers |= Ctrl;
        } else if (name == "alt") {
            chord.modifiers |= Alt;
        } else if (name == "shift") {
            chord.modifiers |= Shift;
        } else if (name == "meta") {
            chord.modifiers |= Meta;
        } else if (name == "num" || name == "keypad") {
            chord.modifiers |= Keypad;
        } else {
            return std::nullopt;
        }
    }
    const std::string lowerKey = Lower(key);
    if (key.empty() || lowerKey == "ctrl" || lowerKey == "control" || lowerKey == "alt" ||
        lowerKey == "shift" || lowerKey == "meta" || lowerKey == "num" ||
        key.find(' ') != std::string_view::npos) {
        return std::nullopt;
    }
    chord.key = CanonicalKey(key);
    return chord;
}

std::string KeyChord::Text() const {
    std::string text;
    const std::pair<Modifier, const char*> names[] = {
        {Ctrl, "Ctrl+"}, {Alt, "Alt+"}, {Shift, "Shift+"}, {Meta, "Meta+"}, {Keypad, "Num+"}};
    for (const auto& [modifier, name] : names) {
        if (Has(modifier)) {
            text += name;
        }
    }
    return text + key;
}

KeyRefusal CheckKeyRules(KeySlot slot, const KeyChord& chord) {
    if (chord.key.empty()) {
        return KeyRefusal::NotAKey;
    }
    const bool keypad = chord.Has(KeyChord::Keypad);
    if (slot == KeySlot::Keypad) {
        return keypad && IsKeypadKey(chord.key) ? KeyRefusal::None : KeyRefusal::WrongSlot;
    }
    if (keypad) {
        return KeyRefusal::WrongSlot;
    }
    const bool ctrl = chord.Has(KeyChord::Ctrl) || chord.Has(KeyChord::Meta);
    const bool alt = chord.Has(KeyChord::Alt);
    if (IsPaneKey(chord) || IsOneOf(chord.key, {"esc", "tab", "backtab"}) ||
        (alt && IsOneOf(chord.key, {"f4"})) ||
        // Alt with a letter or digit opens the menu or presses a button (系统(&F), 撤单(&X)).
        (alt && !ctrl && chord.key.size() == 1 &&
         std::isalnum(static_cast<unsigned char>(chord.key[0])))) {
        return KeyRefusal::Reserved;
    }
    if (IsEditingShortcut(chord)) {
        return KeyRefusal::TextBoxKey;
    }
    if (!ctrl && !alt && (IsCharacterKey(chord.key) || IsEditingKey(chord.key))) {
        return KeyRefusal::TextBoxKey;
    }
    return KeyRefusal::None;
}

std::string KeyRefusalText(KeyRefusal refusal, const std::string& keyText,
                           const std::string& takenBy) {
    switch (refusal) {
        case KeyRefusal::None:
            return {};
        case KeyRefusal::NotAKey:
            return Ansi("请按下一个键（可带Ctrl、Alt、Shift）");
        case KeyRefusal::WrongSlot:
            return keyText + Ansi(
                                 " 不能用在这一列：小键盘一列只接受小键盘的数字、.、+、-、*、/ 和 "
                                 "Enter，主键盘一列不接受小键盘的键");
        case KeyRefusal::Reserved:
            return keyText +
                   Ansi(" 已有固定用途（F1–F6 切换标签和窗格，Esc、Tab，Alt+字母打开菜单和按钮）");
        case KeyRefusal::TextBoxKey:
            return keyText + Ansi(
                                 " 是输入框要用的键（输入、编辑、复制粘贴），请加上 Ctrl 或 "
                                 "Alt，或改用 F7 以后的功能键");
        case KeyRefusal::Taken:
            return keyText + Ansi(" 已经用于“") + takenBy + Ansi("”，请先改掉那里的键");
    }
    return {};
}

bool BoxTakesKey(TextBox box, const KeyChord& chord) {
    if (box == TextBox::None) {
        return false;
    }
    if (chord.Has(KeyChord::Ctrl) || chord.Has(KeyChord::Alt) || chord.Has(KeyChord::Meta)) {
        return IsEditingShortcut(chord);
    }
    if (IsCharacterKey(chord.key)) {
        return box == TextBox::Text || IsDigitOrPoint(chord.key);
    }
    // The keypad's Enter submits from the lots and price boxes; the main Return stays theirs.
    if (chord.Has(KeyChord::Keypad) && IsOneOf(chord.key, {"enter"})) {
        return false;
    }
    return IsEditingKey(chord.key);
}

KeyMap KeyMap::Defaults() {
    KeyMap map;
    for (int a = 0; a < kKeyActionCount; ++a) {
        const ActionInfo& info = kActions[static_cast<std::size_t>(a)];
        map.keys_[static_cast<std::size_t>(a)] = {KeyChord::Parse(info.keypad),
                                                  KeyChord::Parse(info.main)};
    }
    return map;
}

const std::optional<KeyChord>& KeyMap::Key(KeyAction action, KeySlot slot) const {
    return keys_[static_cast<std::size_t>(action)][static_cast<std::size_t>(slot)];
}

std::optional<KeyAction> KeyMap::Find(const KeyChord& chord) const {
    for (int a = 0; a < kKeyActionCount; ++a) {
        for (const auto& key : keys_[static_cast<std::size_t>(a)]) {
            if (key && *key == chord) {
                return static_cast<KeyAction>(a);
            }
        }
    }
    return std::nullopt;
}

KeyRefusal KeyMap::Check(KeyAction action, KeySlot slot, const KeyChord& chord,
                         KeyAction* takenBy) const {
    if (const KeyRefusal rules = CheckKeyRules(slot, chord); rules != KeyRefusal::None) {
        return rules;
    }
    for (int a = 0; a < kKeyActionCount; ++a) {
        for (int s = 0; s < kKeySlotCount; ++s) {
            const auto& key = keys_[static_cast<std::size_t>(a)][static_cast<std::size_t>(s)];
            if (key && *key == chord &&
                (a != static_cast<int>(action) || s != static_cast<int>(slot))) {
                if (takenBy) {
                    *takenBy = static_cast<KeyAction>(a);
                }
                return KeyRefusal::Taken;
            }
        }
    }
    return KeyRefusal::None;
}

bool KeyMap::Assign(KeyAction action, KeySlot slot, const KeyChord& chord) {
    if (Check(action, slot, chord) != KeyRefusal::None) {
        return false;
    }
    keys_[static_cast<std::size_t>(action)][static_cast<std::size_t>(slot)] = chord;
    return true;
}

void KeyMap::Clear(KeyAction action, KeySlot slot) {
    keys_[static_cast<std::size_t>(action)][static_cast<std::size_t>(slot)].reset();
}

std::string KeyMapFile() {
    return platform::SettingsFile("hotkeys.ini");
}

KeyMap ReadKeyMap(const std::string& file) {
    const KeyMap defaults = KeyMap::Defaults();
    KeyMap map;
    for (int a = 0; a < kKeyActionCount; ++a) {
        for (int s = 0; s < kKeySlotCount; ++s) {
            map.Clear(static_cast<KeyAction>(a), static_cast<KeySlot>(s));
        }
    }
    // The lines that name a usable key first, in the actions' order; then the defaults for
    // the rest, where still free.
    std::vector<std::pair<KeyAction, KeySlot>> useDefault;
    for (int a = 0; a < kKeyActionCount; ++a) {
        for (int s = 0; s < kKeySlotCount; ++s) {
            const auto action = static_cast<KeyAction>(a);
            const auto slot = static_cast<KeySlot>(s);
            const std::string raw = platform::GetPrivateProfileString(
                kSectionNames[s], KeyActionId(action), kMissing, file);
            const std::string value(Trim(raw));
            if (value.empty()) {
                continue;  // the trader left this one without a key
            }
            const auto chord = value == kMissing ? std::nullopt : KeyChord::Parse(value);
            if (!chord || !map.Assign(action, slot, *chord)) {
                useDefault.emplace_back(action, slot);
            }
        }
    }
    for (const auto& [action, slot] : useDefault) {
        if (const auto& key = defaults.Key(action, slot)) {
            map.Assign(action, slot, *key);
        }
    }
    return map;
}

bool WriteKeyMap(const KeyMap& map, const std::string& file) {
    std::vector<platform::ProfileEntry> entries;
    for (int s = 0; s < kKeySlotCount; ++s) {
        for (int a = 0; a < kKeyActionCount; ++a) {
            const auto& key = map.Key(static_cast<KeyAction>(a), static_cast<KeySlot>(s));
            entries.push_back({kSectionNames[s], KeyActionId(static_cast<KeyAction>(a)),
                               key ? key->Text() : std::string()});
        }
    }
    return platform::WritePrivateProfileStrings(entries, file);
}

std::string KeyOrderNotice(const std::string& keyText, KeyAction action, const OrderForm* form,
                           std::optional<OrderOutcome> outcome, const std::string& clock) {
    std::string text = Ansi("快捷键 ") + keyText + " " + KeyActionName(action);
    if (form) {
        const char* openClose = form->openClose == OpenClose::Open         ? "开仓"
                                : form->openClose == OpenClose::CloseToday ? "平今"
                                                                           : "平仓";
        text += Ansi("：") + Ansi(form->side == OrderSide::Buy ? "买" : "卖") + Ansi(openClose) +
                " " + form->code + " " + form->lots + Ansi("手");
        if (!form->price.empty()) {
            text += Ansi(" 价") + form->price;
        }
    }
    if (outcome) {
        const char* word = "";
        switch (*outcome) {
            case OrderOutcome::NotSent:
                word = "未发出";
                break;
            case OrderOutcome::Accepted:
                word = "已委托";
                break;
            case OrderOutcome::Refused:
                word = "被拒绝";
                break;
            case OrderOutcome::Failed:
                word = "失败";
                break;
            case OrderOutcome::NoVerdict:
            case OrderOutcome::Unknown:
                word = "结果未知";
                break;
        }
        text += " -> " + Ansi(word);
    }
    return text + " " + clock;
}

}  // namespace ft
