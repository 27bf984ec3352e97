// The level choice: nine levels, each offered by a radio button and by the
// picture button beside it. Choosing either writes the pair stlevel, level.
#include "settings/optionwin.h"
#include "notation/leveldata.h"
#include "shell/module1.h"
#include <QRadioButton>
#include <utility>

namespace {
// Positions in levelChoices() and grouptable::levels.
enum LevelIndex { L1, L1T, L2, L3, L4, L5, L6, L7, L8 };
} // namespace

std::array<optionwin::LevelChoice, 9> optionwin::levelChoices() const
{
    // The controls of each level, in the order of grouptable::levels.
    const std::array<std::pair<QRadioButton*, platform::BevelButton*>, 9> controls = {{
        {RadioButton1, BevelButton1},
        {RadioButton21, BevelButton9},
        {RadioButton2, BevelButton2},
        {RadioButton3, BevelButton3},
        {RadioButton4, BevelButton4},
        {RadioButton5, BevelButton5},
        {RadioButton6, BevelButton6},
        {RadioButton7, BevelButton7},
        {RadioButton8, BevelButton8},
    }};
    std::array<LevelChoice, 9> choices;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const grouptable::Level& l = grouptable::levels[i];
        choices[i] = {controls[i].first, controls[i].second, l.stlevel, l.level};
    }
    return choices;
}

void optionwin::levelRadioAction(int choice)
{
    const LevelChoice c = levelChoices()[static_cast<std::size_t>(choice)];
    if (!c.radio->isChecked())
        return;
    Module1::stlevel = c.stlevel;
    Module1::level = c.level;
}

void optionwin::levelPictureAction(int choice)
{
    const LevelChoice c = levelChoices()[static_cast<std::size_t>(choice)];
    c.radio->setChecked(true); // clears the level chosen before
    Module1::stlevel = c.stlevel;
    Module1::level = c.level;
}

// Only level decides: each of the nine values belongs to one level. A value
// that none has keeps the layout's choice.
void optionwin::selectLevel()
{
    for (const LevelChoice& c : levelChoices()) {
        if (c.level == Module1::level) {
            c.radio->setChecked(true);
            return;
        }
    }
}

void optionwin::RadioButton1_Action() { levelRadioAction(L1); }
void optionwin::RadioButton21_Action() { levelRadioAction(L1T); }
void optionwin::RadioButton2_Action() { levelRadioAction(L2); }
void optionwin::RadioButton3_Action() { levelRadioAction(L3); }
void optionwin::RadioButton4_Action() { levelRadioAction(L4); }
void optionwin::RadioButton5_Action() { levelRadioAction(L5); }
void optionwin::RadioButton6_Action() { levelRadioAction(L6); }
void optionwin::RadioButton7_Action() { levelRadioAction(L7); }
void optionwin::RadioButton8_Action() { levelRadioAction(L8); }

void optionwin::BevelButton1_Action() { levelPictureAction(L1); }
void optionwin::BevelButton9_Action() { levelPictureAction(L1T); }
void optionwin::BevelButton2_Action() { levelPictureAction(L2); }
void optionwin::BevelButton3_Action() { levelPictureAction(L3); }
void optionwin::BevelButton4_Action() { levelPictureAction(L4); }
void optionwin::BevelButton5_Action() { levelPictureAction(L5); }
void optionwin::BevelButton6_Action() { levelPictureAction(L6); }
void optionwin::BevelButton7_Action() { levelPictureAction(L7); }
void optionwin::BevelButton8_Action() { levelPictureAction(L8); }
