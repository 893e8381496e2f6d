// 実行 → 設定: the panel's settings, one control a step, in the window's language. Shown
// modally; the caller reads the recipe back when the user chose OK. A size or a colour that
// cannot be used is marked with the reason beside it, and OK waits until all can.
#pragma once

#include "core/colour.h"
#include "core/recipe.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace main_window {

// Why the typed panel side cannot be used, in Japanese; empty when it can.
QString panelSideProblem(const QString &width, const QString &height);
// Why the typed colour cannot be used ("RRGGBB", "#" allowed before it); empty when it can.
QString colourProblem(const QString &text);
// The note for a panel the batch run cannot fill: it refuses pictures over 640 x 480 once
// fitted. Empty for a panel within that.
QString batchLimitNote(QSize panel);

class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);

    void setRecipe(const core::Recipe &recipe);
    // Meaningful while OK is available.
    core::Recipe recipe() const;

    // The colour dialog of the colour buttons; tests answer for it. Nothing when cancelled.
    using ColourPicker =
        std::function<std::optional<core::Colour>(core::Colour current, const QString &title)>;
    void setColourPicker(ColourPicker picker) { m_pickColour = std::move(picker); }

private:
    void panelChosen(int index);
    // Marks what cannot be used, with its reason, and makes OK available only without any.
    void check();
    QWidget *colourRow(QLineEdit *edit, QLabel *problem, const QString &title);

    QComboBox *m_panel = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    QLabel *m_panelProblem = nullptr; // or the note on the batch run's limit
    QComboBox *m_fitMode = nullptr;
    QLineEdit *m_background = nullptr;
    QLabel *m_backgroundProblem = nullptr;
    QComboBox *m_rotation = nullptr;
    QComboBox *m_dither = nullptr;
    QComboBox *m_byteOrder = nullptr;
    QComboBox *m_alpha = nullptr;
    QCheckBox *m_keyed = nullptr;
    QLineEdit *m_key = nullptr;
    QLabel *m_keyProblem = nullptr;
    QPushButton *m_ok = nullptr;
    ColourPicker m_pickColour;
};

} // namespace main_window
