// 実行 → 設定: the panel's settings, one control a step, in the window's language. Shown
// modally; the caller reads the recipe back when the user chose OK.
#pragma once

#include "core/recipe.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace main_window {

class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);

    void setRecipe(const core::Recipe &recipe);
    core::Recipe recipe() const;

private:
    void panelChosen(int index);
    void keyToggled(bool on);

    QComboBox *m_panel = nullptr;
    QSpinBox *m_width = nullptr;
    QSpinBox *m_height = nullptr;
    QComboBox *m_fitMode = nullptr;
    QLineEdit *m_background = nullptr;
    QComboBox *m_rotation = nullptr;
    QComboBox *m_dither = nullptr;
    QComboBox *m_byteOrder = nullptr;
    QComboBox *m_alpha = nullptr;
    QCheckBox *m_keyed = nullptr;
    QLineEdit *m_key = nullptr;
};

} // namespace main_window
