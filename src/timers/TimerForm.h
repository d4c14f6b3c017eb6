#pragma once

#include <array>
#include <functional>

#include <QString>
#include <QStringList>

#include "core/SettingsHost.h"

namespace yk {

class Settings;

// What the registration window shows and keeps, without its widgets: the
// timer part (three kinds, one active at a time), the two registration
// lists of ten (programs and alarm sounds), the completion options and the
// width. The window turns clicks and keys into these calls and shows the
// result; everything that can be wrong lives here, where it can be tested.
//
// The timer's preset changes only with store(); the registration entries
// and the options of the settings change at once, as the user expects of
// a list he just edited.
class TimerForm
{
public:
    enum class Group { A, B, C };        // quick minutes, hours and minutes, clock time
    enum class Quick { None, M3, M5, M10 };
    enum class Half { None, AM, PM };
    enum class Box { H, M, H2, M2 };     // txt_H, txt_M, txt_H_2, txt_M_2
    enum class List { Programs, Sounds }; // cmb_Apr_Dir, cmb_Wav_Dir

    static constexpr int kNarrowTwips = 3825;
    static constexpr int kWideTwips = 7545;
    static constexpr int kSlots = 10;

    static const QString kUnsetCaption; // cmb_Set before anything is chosen
    // Mascot scripts, each ending in "\e".
    static const QString kStoredScript;
    static const QString kWidenScript;
    static const QString kExitWinScript;
    static const QString kTimeOffScript;

    explicit TimerForm(Settings& settings);

    // Fills everything from the settings, as the window opens: the timer
    // part from the preset, the lists, names, numbers and options. Narrow.
    void load();
    void loadPreset(const QString& preset);

    // --- timer part ---
    Group group() const { return m_group; }
    // Makes one group the active one; the others' controls go grey.
    void activate(Group g);
    // An option click also makes its group active.
    Quick quick() const { return m_quick; }
    void chooseQuick(Quick q);
    Half half() const { return m_half; }
    void chooseHalf(Half h);

    QString boxText(Box b) const { return m_boxes[idx(b)]; }
    static Group groupOf(Box b);
    // The user changed a time box to `typed`: its group becomes active and
    // the input rules run. True when the box was put back to "00" (the
    // window then selects its text so the next key replaces it). A kind-C
    // hour past 12 becomes PM and loses 12 (15 -> 3), which is no reset.
    bool editBox(Box b, const QString& typed);
    // Enter in a box: true when the focus moves on (H -> M, H2 -> M2,
    // minutes -> cmb_Set); false when the box was put back to "00".
    bool enterInBox(Box b);
    static bool isNumber(const QString& text);

    // cmb_Set's caption for the active group and its values.
    QString setCaption() const;
    // The preset store() would write: "Time A05", "Time B0130",
    // "Time CP0915", or empty when the active group has no choice.
    QString presetText() const;
    void store();

    // --- width ---
    bool isWide() const { return m_wide; }
    void setWide(bool wide) { m_wide = wide; }
    int widthTwips() const { return m_wide ? kWideTwips : kNarrowTwips; }

    // --- registration lists ---
    // Ten rows: the path, or "未登録" for an empty slot.
    const QStringList& rows(List l) const { return m_lists[li(l)].rows; }
    // txt_Apr_No / txt_Wav_No as shown, and as a slot (0 when no slot 1..10).
    QString numberText(List l) const { return m_lists[li(l)].number; }
    int number(List l) const;
    // The list's own text line (the chosen row, or what was typed).
    QString listText(List l) const { return m_lists[li(l)].text; }
    // txt_Apr / txt_Wav: the chosen file's name, "未登録" or empty.
    QString nameText(List l) const { return m_lists[li(l)].name; }

    // Row `row` (0-based) chosen in the list: it becomes the slot number.
    void chooseRow(List l, int row);
    // Enter in the list's text line: the typed path replaces the chosen
    // row and, when it names a file of the right kind, the slot's entry.
    void enterPath(List l, const QString& typed);
    // The delete button: the chosen slot becomes free; its number stays.
    void deleteSlot(List l);
    // The picker registered `path` into slot n.
    void setEntry(List l, int n, const QString& path);
    void showName(List l, const QString& text) { m_lists[li(l)].name = text; }

    // Settings index of slot n (1..10): 0..9 for programs, 10..19 for sounds.
    static int entryIndex(List l, int n);
    static bool acceptsFile(List l, const QString& path);

    // --- options ---
    bool isChecked(RegistrationCheck c) const;
    void setChecked(RegistrationCheck c, bool on);
    static int entryOf(RegistrationCheck c);

    // The lyrics folder box; every change is the setting.
    QString lyricsText() const;
    void setLyricsText(const QString& text);

    // Whether a path names an existing file; the disk by default.
    void setFileExists(std::function<bool(const QString&)> exists) { m_exists = std::move(exists); }

private:
    struct ListState
    {
        QStringList rows;
        QString number;
        QString text;
        QString name;
    };
    static size_t idx(Box b) { return static_cast<size_t>(b); }
    static size_t li(List l) { return static_cast<size_t>(l); }
    QString& entry(List l, int n);
    int numberEntry(List l) const;
    QString nameOf(const QString& path) const;
    void loadList(List l);

    Settings& m_s;
    Group m_group = Group::A;
    Quick m_quick = Quick::None;
    Half m_half = Half::None;
    std::array<QString, 4> m_boxes{QStringLiteral("00"), QStringLiteral("00"), QStringLiteral("00"),
                                   QStringLiteral("00")};
    bool m_wide = false;
    std::array<ListState, 2> m_lists;
    std::function<bool(const QString&)> m_exists;
};

} // namespace yk
