#include "mainwin/tip_of_day_dlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include "controls/dialog_template.h"
#include "controls/prompts.h"
#include "mainwin/tips_reader.h"
#include "settings/program_dir.h"
#include "settings/settings_location.h"

namespace {
constexpr const char* kDidYouKnow = "Did you know...";
// The panel control reaches this far below the white panel that is painted over it.
constexpr int kPanelBottomMargin = 50;
} // namespace

CTipOfDayDlg::CTipOfDayDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts),
      // The application profile: "<program name>.ini" in the user's configuration folder.
      m_reader(std::make_unique<TipsReader>(GetProgramDir() + "tips.txt",
                                            UserConfigFolder() + GetApplicationName() + ".ini")) {
    setWindowTitle(QStringLiteral("Tip of the Day"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    setFont(font);
    setFixedSize(DialogUnitsToPixels(this, QRect(0, 0, 231, 164)).size());

    // Made first, so that everything else lies above it; it only marks where the panel is painted.
    m_panel = new QLabel(this);
    SetControlId(m_panel, IDC_BULB);
    m_panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    QRect panel = DialogUnitsToPixels(this, QRect(12, 11, 207, 123));
    panel.setHeight(panel.height() + kPanelBottomMargin);
    m_panel->setGeometry(panel);

    // Marks where the tip is painted; never shown itself.
    m_tipString = new QLabel(QStringLiteral("Some String"), this);
    SetControlId(m_tipString, IDC_TIPSTRING);
    PlaceInDialogUnits(this, m_tipString, 24, 45, 186, 84);
    m_tipString->setAutoFillBackground(true);
    QPalette white = m_tipString->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_tipString->setPalette(white);
    m_tipString->hide();

    m_startup = new QCheckBox(QStringLiteral("&Show Tips on StartUp"), this);
    SetControlId(m_startup, IDC_STARTUP);
    PlaceInDialogUnits(this, m_startup, 13, 146, 90, 10);
    m_startup->setChecked(m_reader->ShowAtStartup());

    m_nextTip = new QPushButton(QStringLiteral("&Next Tip"), this);
    SetControlId(m_nextTip, IDC_NEXTTIP);
    PlaceInDialogUnits(this, m_nextTip, 109, 143, 50, 14);
    // Enter with the focus here shows the next tip, as the space bar does; elsewhere it means "Close".
    m_nextTip->setAutoDefault(true);
    connect(m_nextTip, &QPushButton::clicked, this, &CTipOfDayDlg::OnNextTip);

    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    SetControlId(close, IDOK);
    PlaceInDialogUnits(this, close, 168, 143, 50, 14);
    close->setDefault(true);
    close->setFocus();
    connect(close, &QPushButton::clicked, this, &CTipOfDayDlg::accept);

    TellTrouble();
    m_nextTip->setEnabled(m_reader->CanAdvance());
}

CTipOfDayDlg::~CTipOfDayDlg() = default;

bool CTipOfDayDlg::ShowAtStartup() const {
    return m_reader->ShowAtStartup();
}

QString CTipOfDayDlg::TipText() const {
    return QString::fromLocal8Bit(m_reader->TipText());
}

void CTipOfDayDlg::accept() {
    QDialog::accept();
    m_reader->StoreShowAtStartup(m_startup->isChecked());
}

void CTipOfDayDlg::OnNextTip() {
    m_reader->NextTip();
    TellTrouble();
    // A file that turned out to hold no tip, or that cannot be rewound, has nothing more to offer.
    m_nextTip->setEnabled(m_reader->CanAdvance());
    update();
}

void CTipOfDayDlg::TellTrouble() {
    if (m_reader->TakeTrouble())
        m_prompts.MessageBox(this, QString::fromLatin1(kTipsTrouble), QString(), Prompts::OkButton);
}

void CTipOfDayDlg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    QRect panel = m_panel->geometry();
    panel.setBottom(panel.bottom() - kPanelBottomMargin);
    painter.fillRect(panel, Qt::white);

    const QPixmap bulb(QStringLiteral(":/icons/138.png"));
    painter.drawPixmap(panel.topLeft(), bulb);

    // The panel is white whatever the desktop's colours are, so the text is black on it.
    painter.setPen(Qt::black);
    const QRect heading(panel.left() + bulb.width(), panel.top(), panel.width() - bulb.width(), bulb.height());
    painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromLatin1(kDidYouKnow));
    // No mnemonic processing: an '&' in a tip is shown as it is.
    painter.drawText(m_tipString->geometry(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs,
                     TipText());
}
