#include "settings_dialog.h"

#include "batch/auto_run.h"
#include "core/decode/picture_limits.h"
#include "platform/paths.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace main_window {

namespace {

// The panels most display units have; "other" takes any size.
constexpr QSize kCommonPanels[] = {{128, 128}, {128, 160}, {160, 128}, {240, 240},
                                   {240, 320}, {320, 240}, {320, 480}, {480, 272},
                                   {480, 320}, {640, 480}, {800, 480}};

QLineEdit *colourEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setMaxLength(7);
    edit->setPlaceholderText(QStringLiteral("RRGGBB"));
    return edit;
}

QLineEdit *sideEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setMaxLength(9);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    return edit;
}

const QColor kProblemColour(200, 0, 0);

// Keeps its room while hidden, so that the fields below never move under the pointer.
void keepRoom(QLabel *label, int lines)
{
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->setMinimumHeight(lines * label->fontMetrics().lineSpacing());
}

// A reason beside its field, in red; hidden while there is none.
QLabel *problemLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    keepRoom(label, 1);
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, kProblemColour);
    label->setPalette(red);
    label->setVisible(false);
    return label;
}

// The field tinted while its text cannot be used.
void tint(QLineEdit *edit, bool wrong)
{
    QPalette palette = QApplication::palette(edit);
    if (wrong)
        palette.setColor(QPalette::Base, QColor(255, 225, 225));
    edit->setPalette(palette);
}

void mark(QLineEdit *edit, QLabel *label, const QString &problem)
{
    label->setText(problem);
    label->setVisible(!problem.isEmpty());
    tint(edit, !problem.isEmpty());
}

QComboBox *choices(QWidget *parent, const QStringList &texts)
{
    auto *box = new QComboBox(parent);
    box->addItems(texts);
    return box;
}

bool asciiDigits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

QString panelSideProblem(const QString &width, const QString &height)
{
    if (!asciiDigits(width) || !asciiDigits(height))
        return QStringLiteral("幅と高さは半角の数字で入力してください");
    const qint64 w = width.toLongLong(), h = height.toLongLong();
    if (w < 1 || h < 1)
        return QStringLiteral("幅と高さは1以上にしてください");
    if (width.size() > 9 || height.size() > 9 || core::sizeRefusal(w, h))
        return QStringLiteral("大きすぎます（%1×%2画素）").arg(width, height);
    return {};
}

QString colourProblem(const QString &text)
{
    const auto colour = core::colourFromWord(text.toStdString());
    return colour ? QString()
                  : QStringLiteral("色は16進数6桁（RRGGBB、例: FF8000）で入力してください");
}

QString batchLimitNote(QSize panel)
{
    if (panel.width() <= batch::kMaxWidth && panel.height() <= batch::kMaxHeight)
        return {};
    return QStringLiteral("自動処理は、合わせた後の大きさが%1×%2画素を超える画像を変換しません。")
        .arg(batch::kMaxWidth)
        .arg(batch::kMaxHeight);
}

SettingsDialog::SettingsDialog(QWidget *parent)
    : QDialog(parent)
    , m_pickColour([this](core::Colour current, const QString &title) {
        const QColor chosen = QColorDialog::getColor(
            QColor(core::redOf(current), core::greenOf(current), core::blueOf(current)), this,
            title);
        return chosen.isValid()
                   ? std::optional(core::rgb(chosen.red(), chosen.green(), chosen.blue()))
                   : std::nullopt;
    })
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
    m_width = sideEdit(this);
    m_width->setObjectName(QStringLiteral("width"));
    m_height = sideEdit(this);
    m_height->setObjectName(QStringLiteral("height"));
    auto *panelRow = new QHBoxLayout;
    panelRow->addWidget(m_panel);
    panelRow->addWidget(new QLabel(QStringLiteral("幅"), this));
    panelRow->addWidget(m_width);
    panelRow->addWidget(new QLabel(QStringLiteral("高さ"), this));
    panelRow->addWidget(m_height);
    panelRow->addStretch();
    // What is wrong with the size, in red, or else the note on the batch run's limit: one
    // place for either.
    m_panelProblem = problemLabel(this);
    m_panelProblem->setObjectName(QStringLiteral("panelNote"));
    m_panelProblem->setWordWrap(true);
    keepRoom(m_panelProblem, 2);
    auto *panelColumn = new QVBoxLayout;
    panelColumn->addLayout(panelRow);
    panelColumn->addWidget(m_panelProblem);
    auto *panelLabel = new QLabel(QStringLiteral("パネルの大きさ(&P):"), this);
    panelLabel->setBuddy(m_panel);
    form->addRow(panelLabel, panelColumn);
    connect(m_panel, &QComboBox::currentIndexChanged, this, &SettingsDialog::panelChosen);
    for (QLineEdit *side : {m_width, m_height})
        connect(side, &QLineEdit::textChanged, this, &SettingsDialog::check);

    m_fitMode = choices(this, {QStringLiteral("画像全体を収める（contain）"),
                               QStringLiteral("パネル全面を埋める（cover）"),
                               QStringLiteral("縦横比を変えて合わせる（stretch）")});
    form->addRow(QStringLiteral("合わせ方(&M):"), m_fitMode);
    // Named as the settings file names the steps.
    m_fitMode->setObjectName(QStringLiteral("fit_mode"));
    m_background = colourEdit(this);
    m_background->setObjectName(QStringLiteral("background"));
    m_backgroundProblem = problemLabel(this);
    form->addRow(QStringLiteral("背景色(&G):"),
                 colourRow(m_background, m_backgroundProblem, QStringLiteral("背景色")));
    m_rotation = choices(this, {QStringLiteral("回転しない"), QStringLiteral("時計回りに90度"),
                                QStringLiteral("180度"), QStringLiteral("時計回りに270度")});
    form->addRow(QStringLiteral("回転(&R):"), m_rotation);
    m_rotation->setObjectName(QStringLiteral("rotate"));
    m_dither = choices(this, {QStringLiteral("なし（切り捨て）"),
                              QStringLiteral("組織的ディザ（ordered）"),
                              QStringLiteral("誤差拡散（Floyd–Steinberg）")});
    form->addRow(QStringLiteral("ディザリング(&D):"), m_dither);
    m_dither->setObjectName(QStringLiteral("dither"));
    m_byteOrder = choices(this, {QStringLiteral("下位バイトが先（BINファイルの順）"),
                                 QStringLiteral("上位バイトが先")});
    form->addRow(QStringLiteral("バイト順(&O):"), m_byteOrder);
    m_byteOrder->setObjectName(QStringLiteral("byte_order"));
    m_alpha =
        choices(this, {QStringLiteral("記録された色のまま"), QStringLiteral("背景色に重ねる")});
    form->addRow(QStringLiteral("透明な画素(&T):"), m_alpha);
    m_alpha->setObjectName(QStringLiteral("alpha"));
    m_keyed = new QCheckBox(QStringLiteral("半分以上透明な画素をこの色にする(&K):"), this);
    m_keyed->setObjectName(QStringLiteral("keyed"));
    m_key = colourEdit(this);
    m_key->setObjectName(QStringLiteral("key"));
    m_keyProblem = problemLabel(this);
    QWidget *keyRow = colourRow(m_key, m_keyProblem, QStringLiteral("透明な画素の色"));
    form->addRow(m_keyed, keyRow);
    connect(m_keyed, &QCheckBox::toggled, this, [this, keyRow](bool on) {
        keyRow->setEnabled(on);
        check();
    });

    auto *buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::RestoreDefaults, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("OK"));
    m_ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    QPushButton *defaults = buttons->button(QDialogButtonBox::RestoreDefaults);
    defaults->setText(QStringLiteral("標準に戻す"));
    // Clicked, a dialog's button becomes its default, and Return would press it again.
    defaults->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, [this] { setRecipe({}); });

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new QLabel(QStringLiteral("変換とＢＩＮファイル保存、自動処理に使う設定です。"
                                                "すべて標準のときは、画像をそのまま変換します。"),
                                 this));
    layout->addLayout(form);
    layout->addWidget(buttons);
    setRecipe({});
}

QWidget *SettingsDialog::colourRow(QLineEdit *edit, QLabel *problem, const QString &title)
{
    auto *row = new QWidget(this);
    auto *line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(edit);
    auto *pick = new QToolButton(row);
    pick->setText(QStringLiteral("色を選ぶ…"));
    pick->setObjectName(edit->objectName() + QStringLiteral("Pick"));
    line->addWidget(pick);
    line->addStretch();
    auto *column = new QVBoxLayout(row);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(line);
    column->addWidget(problem);
    edit->setParent(row);
    problem->setParent(row);
    connect(edit, &QLineEdit::textChanged, this, &SettingsDialog::check);
    connect(pick, &QToolButton::clicked, this, [this, edit, title] {
        const core::Colour current = core::colourFromWord(edit->text().toStdString()).value_or(0);
        if (const auto chosen = m_pickColour(current, title))
            edit->setText(QString::fromStdString(core::colourWord(*chosen)));
    });
    return row;
}

void SettingsDialog::panelChosen(int index)
{
    const bool none = index == 0;
    const QVariant size = m_panel->itemData(index);
    if (size.isValid()) {
        m_width->setText(QString::number(size.toSize().width()));
        m_height->setText(QString::number(size.toSize().height()));
    }
    // Any size: from the one shown before, or the most common panel.
    if (!none && !size.isValid() && m_width->text().isEmpty() && m_height->text().isEmpty()) {
        m_width->setText(QStringLiteral("320"));
        m_height->setText(QStringLiteral("240"));
    }
    m_width->setEnabled(!none && !size.isValid());
    m_height->setEnabled(!none && !size.isValid());
    m_fitMode->setEnabled(!none);
    check();
}

void SettingsDialog::check()
{
    const bool panel = m_panel->currentIndex() > 0;
    const QString sideProblem =
        panel ? panelSideProblem(m_width->text(), m_height->text()) : QString();
    const QString note =
        panel && sideProblem.isEmpty()
            ? batchLimitNote(QSize(m_width->text().toInt(), m_height->text().toInt()))
            : QString();
    mark(m_width, m_panelProblem, sideProblem.isEmpty() ? note : sideProblem);
    tint(m_width, !sideProblem.isEmpty());
    tint(m_height, !sideProblem.isEmpty());
    QPalette palette = QApplication::palette(m_panelProblem);
    if (!sideProblem.isEmpty())
        palette.setColor(QPalette::WindowText, kProblemColour);
    m_panelProblem->setPalette(palette);
    const QString backgroundProblem = colourProblem(m_background->text());
    mark(m_background, m_backgroundProblem, backgroundProblem);
    const QString keyProblem = m_keyed->isChecked() ? colourProblem(m_key->text()) : QString();
    mark(m_key, m_keyProblem, keyProblem);
    m_ok->setEnabled(sideProblem.isEmpty() && backgroundProblem.isEmpty() && keyProblem.isEmpty());
}

void SettingsDialog::setRecipe(const core::Recipe &recipe)
{
    int panel = 0;
    if (recipe.panel) {
        panel = m_panel->count() - 1;
        for (int i = 1; i + 1 < m_panel->count(); ++i)
            if (platform::sizeOf(m_panel->itemData(i).toSize()) == *recipe.panel)
                panel = i;
        m_width->setText(QString::number(recipe.panel->width));
        m_height->setText(QString::number(recipe.panel->height));
    }
    m_panel->setCurrentIndex(panel);
    panelChosen(panel);
    m_fitMode->setCurrentIndex(int(recipe.fitMode));
    m_background->setText(QString::fromStdString(core::colourWord(recipe.background)));
    m_rotation->setCurrentIndex(recipe.rotation / 90);
    m_dither->setCurrentIndex(int(recipe.dither));
    m_byteOrder->setCurrentIndex(int(recipe.byteOrder));
    m_alpha->setCurrentIndex(int(recipe.alpha));
    m_keyed->setChecked(recipe.colourKey.has_value());
    m_key->setText(QString::fromStdString(
        core::colourWord(recipe.colourKey.value_or(core::rgb(255, 0, 255)))));
    m_key->parentWidget()->setEnabled(m_keyed->isChecked());
    check();
}

core::Recipe SettingsDialog::recipe() const
{
    core::Recipe recipe;
    if (m_panel->currentIndex() > 0)
        recipe.panel = core::Size{m_width->text().toInt(), m_height->text().toInt()};
    recipe.fitMode = core::FitMode(m_fitMode->currentIndex());
    recipe.background = core::colourFromWord(m_background->text().toStdString()).value_or(0);
    recipe.rotation = 90 * m_rotation->currentIndex();
    recipe.dither = core::Dither(m_dither->currentIndex());
    recipe.byteOrder = core::ByteOrder(m_byteOrder->currentIndex());
    recipe.alpha = core::AlphaMode(m_alpha->currentIndex());
    if (m_keyed->isChecked())
        recipe.colourKey = core::colourFromWord(m_key->text().toStdString());
    return recipe;
}

} // namespace main_window
