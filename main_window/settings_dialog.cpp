#include "settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

namespace main_window {

namespace {

// The panels most display units have; "other" takes any size.
constexpr QSize kCommonPanels[] = {{128, 128}, {128, 160}, {160, 128}, {240, 240},
                                   {240, 320}, {320, 240}, {320, 480}, {480, 272},
                                   {480, 320}, {640, 480}, {800, 480}};

QLineEdit *colourEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("#?[0-9A-Fa-f]{6}")), edit));
    edit->setMaxLength(7);
    edit->setPlaceholderText(QStringLiteral("RRGGBB"));
    return edit;
}

QComboBox *choices(QWidget *parent, const QStringList &texts)
{
    auto *box = new QComboBox(parent);
    box->addItems(texts);
    return box;
}

} // namespace

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(QStringLiteral("設定"));
    auto *form = new QFormLayout;

    m_panel = new QComboBox(this);
    m_panel->setObjectName(QStringLiteral("panel"));
    m_panel->addItem(QStringLiteral("なし（画像の大きさのまま）"));
    for (const QSize size : kCommonPanels)
        m_panel->addItem(QStringLiteral("%1×%2").arg(size.width()).arg(size.height()), size);
    m_panel->addItem(QStringLiteral("その他の大きさ"));
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    for (QSpinBox *side : {m_width, m_height})
        side->setRange(1, 16384);
    auto *panelRow = new QHBoxLayout;
    panelRow->addWidget(m_panel);
    panelRow->addWidget(new QLabel(QStringLiteral("幅"), this));
    panelRow->addWidget(m_width);
    panelRow->addWidget(new QLabel(QStringLiteral("高さ"), this));
    panelRow->addWidget(m_height);
    auto *panelLabel = new QLabel(QStringLiteral("パネルの大きさ(&P):"), this);
    panelLabel->setBuddy(m_panel);
    form->addRow(panelLabel, panelRow);
    connect(m_panel, &QComboBox::currentIndexChanged, this, &SettingsDialog::panelChosen);

    m_fitMode = choices(this, {QStringLiteral("画像全体を収める（contain）"),
                               QStringLiteral("パネル全面を埋める（cover）"),
                               QStringLiteral("縦横比を変えて合わせる（stretch）")});
    form->addRow(QStringLiteral("合わせ方(&M):"), m_fitMode);
    m_background = colourEdit(this);
    form->addRow(QStringLiteral("背景色(&G):"), m_background);
    m_rotation = choices(this, {QStringLiteral("回転しない"), QStringLiteral("時計回りに90度"),
                                QStringLiteral("180度"), QStringLiteral("時計回りに270度")});
    form->addRow(QStringLiteral("回転(&R):"), m_rotation);
    m_dither = choices(this, {QStringLiteral("なし（切り捨て）"),
                              QStringLiteral("組織的ディザ（ordered）"),
                              QStringLiteral("誤差拡散（Floyd–Steinberg）")});
    form->addRow(QStringLiteral("ディザリング(&D):"), m_dither);
    m_byteOrder = choices(this, {QStringLiteral("下位バイトが先（BINファイルの順）"),
                                 QStringLiteral("上位バイトが先")});
    form->addRow(QStringLiteral("バイト順(&O):"), m_byteOrder);
    m_alpha =
        choices(this, {QStringLiteral("記録された色のまま"), QStringLiteral("背景色に重ねる")});
    form->addRow(QStringLiteral("透明な画素(&T):"), m_alpha);
    m_keyed = new QCheckBox(QStringLiteral("半分以上透明な画素をこの色にする(&K):"), this);
    m_key = colourEdit(this);
    form->addRow(m_keyed, m_key);
    connect(m_keyed, &QCheckBox::toggled, this, &SettingsDialog::keyToggled);

    auto *buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(QStringLiteral("標準に戻す"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            [this] { setRecipe({}); });

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new QLabel(QStringLiteral("変換とＢＩＮファイル保存、自動処理に使う設定です。"
                                                "すべて標準のときは、画像をそのまま変換します。"),
                                 this));
    layout->addLayout(form);
    layout->addWidget(buttons);
    setRecipe({});
}

void SettingsDialog::panelChosen(int index)
{
    const bool none = index == 0;
    const QVariant size = m_panel->itemData(index);
    if (size.isValid()) {
        m_width->setValue(size.toSize().width());
        m_height->setValue(size.toSize().height());
    }
    m_width->setEnabled(!none && !size.isValid());
    m_height->setEnabled(!none && !size.isValid());
    m_fitMode->setEnabled(!none);
}

void SettingsDialog::keyToggled(bool on)
{
    m_key->setEnabled(on);
}

void SettingsDialog::setRecipe(const core::Recipe &recipe)
{
    int panel = 0;
    if (recipe.panel) {
        panel = m_panel->count() - 1;
        for (int i = 1; i + 1 < m_panel->count(); ++i)
            if (m_panel->itemData(i).toSize() == *recipe.panel)
                panel = i;
        m_width->setValue(recipe.panel->width());
        m_height->setValue(recipe.panel->height());
    }
    m_panel->setCurrentIndex(panel);
    panelChosen(panel);
    m_fitMode->setCurrentIndex(int(recipe.fitMode));
    m_background->setText(core::colourWord(recipe.background));
    m_rotation->setCurrentIndex(recipe.rotation / 90);
    m_dither->setCurrentIndex(int(recipe.dither));
    m_byteOrder->setCurrentIndex(int(recipe.byteOrder));
    m_alpha->setCurrentIndex(int(recipe.alpha));
    m_keyed->setChecked(recipe.colourKey.has_value());
    m_key->setText(core::colourWord(recipe.colourKey.value_or(core::rgb(255, 0, 255))));
    keyToggled(m_keyed->isChecked());
}

core::Recipe SettingsDialog::recipe() const
{
    core::Recipe recipe;
    if (m_panel->currentIndex() > 0)
        recipe.panel = QSize(m_width->value(), m_height->value());
    recipe.fitMode = core::FitMode(m_fitMode->currentIndex());
    recipe.background = core::colourFromWord(m_background->text()).value_or(0);
    recipe.rotation = 90 * m_rotation->currentIndex();
    recipe.dither = core::Dither(m_dither->currentIndex());
    recipe.byteOrder = core::ByteOrder(m_byteOrder->currentIndex());
    recipe.alpha = core::AlphaMode(m_alpha->currentIndex());
    if (m_keyed->isChecked())
        recipe.colourKey = core::colourFromWord(m_key->text());
    return recipe;
}

} // namespace main_window
