// TMainForm: the settings (options, window bounds, recent files, toolbar layout).
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <deque>
#include <functional>

#include "app/fileassociation.h"
#include "app/tmainform.h"

namespace kelmor {

namespace {

constexpr int kMaxRecentFiles = 6;
constexpr int kMaxToolbarEntries = 1024;
constexpr int kMaxWindowExtent = 16384;

const char* const kOptionValues[] = {"ShowToolbar", "ShowStatusBar", "ShowInfoPane", "ConfirmDeletion", "DispFullPath"};
const bool kOptionDefaults[] = {true, true, true, true, false};

QSettings OpenSettings() { return QSettings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager")); }

bool ReadFlag(const QSettings& settings, const char* name, bool initial) {
    bool ok = false;
    const int value = settings.value(QString::fromLatin1(name)).toInt(&ok);
    return ok ? value != 0 : initial;
}

// The toolbar of the first start.
constexpr TMenuSlot kDefaultToolbar[] = {
    TCommandId::FileNew,    TCommandId::FileOpen, TCommandId::FileClose,  kSeparator,
    TCommandId::Find,       TCommandId::Replace,  TCommandId::SearchNext, kSeparator,
    TCommandId::Information};

}  // namespace

void TMainForm::LoadSettings() {
    QSettings settings = OpenSettings();
    settings.beginGroup(QStringLiteral("General"));
    for (int i = 0; i < 5; ++i)
        SetOption(static_cast<TOption>(i), ReadFlag(settings, kOptionValues[i], kOptionDefaults[i]));
    settings.endGroup();

    recentFiles_.clear();
    settings.beginGroup(QStringLiteral("Recent Files"));
    bool ok = false;
    const int items = settings.value(QStringLiteral("Items")).toInt(&ok);
    for (int i = 1; ok && i <= items && i <= kMaxRecentFiles; ++i) {
        const QVariant value = settings.value(QStringLiteral("Item%1").arg(i));
        if (!value.isValid() || value.toString().isEmpty()) break;
        recentFiles_.append(value.toString());
    }
    settings.endGroup();

    ReadToolbarLayout();
}

void TMainForm::ReadToolbarLayout() {
    QSettings settings = OpenSettings();
    if (!settings.childGroups().contains(QStringLiteral("Toolbar"))) {
        toolbarLayout_.clear();
        for (const TMenuSlot& slot : kDefaultToolbar)
            toolbarLayout_.push_back(slot.command ? Command(*slot.command) : nullptr);
        return;
    }
    // Read from the highest value to "Item1", each placing its entries to the left of
    // those already placed.
    std::deque<QAction*> layout;
    settings.beginGroup(QStringLiteral("Toolbar"));
    bool ok = false;
    const int items = std::min(settings.value(QStringLiteral("Items")).toInt(&ok), kMaxToolbarEntries);
    for (int i = ok ? items : 0; i >= 1; --i) {
        const int image = settings.value(QStringLiteral("Item%1").arg(i)).toInt(&ok);
        if (!ok) break;
        if (image < 0) {
            layout.push_front(nullptr);
            continue;
        }
        for (QAction* command : commands_) {
            if (command->property("imageIndex").toInt() == image) layout.push_front(command);
        }
    }
    toolbarLayout_.assign(layout.begin(), layout.end());
}

void TMainForm::SaveToolbarLayout() const {
    QSettings settings = OpenSettings();
    settings.beginGroup(QStringLiteral("Toolbar"));
    settings.setValue(QStringLiteral("Items"), static_cast<int>(toolbarLayout_.size()));
    int number = 1;
    for (QAction* entry : toolbarLayout_)
        settings.setValue(QStringLiteral("Item%1").arg(number++), entry ? entry->property("imageIndex").toInt() : -1);
}

bool TMainForm::SampleDatabaseOffered() const {
    return ReadFlag(OpenSettings(), "General/SampleDatabaseOffered", false);
}

void TMainForm::SetSampleDatabaseOffered() const {
    OpenSettings().setValue(QStringLiteral("General/SampleDatabaseOffered"), 1);
}

void TMainForm::SaveSettings() const {
    QSettings settings = OpenSettings();
    settings.beginGroup(QStringLiteral("General"));
    for (int i = 0; i < 5; ++i)
        settings.setValue(QString::fromLatin1(kOptionValues[i]), Option(static_cast<TOption>(i)) ? 1 : 0);
    const QRect bounds = isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size());
    settings.setValue(QStringLiteral("Left"), bounds.left());
    settings.setValue(QStringLiteral("Top"), bounds.top());
    settings.setValue(QStringLiteral("Width"), bounds.width());
    settings.setValue(QStringLiteral("Height"), bounds.height());
    settings.setValue(QStringLiteral("Maximized"), isMaximized() ? 1 : 0);
    settings.endGroup();

    settings.beginGroup(QStringLiteral("Recent Files"));
    settings.setValue(QStringLiteral("Items"), static_cast<int>(recentFiles_.size()));
    for (int i = 0; i < recentFiles_.size(); ++i)
        settings.setValue(QStringLiteral("Item%1").arg(i + 1), recentFiles_[i]);
    settings.endGroup();
}

void TMainForm::RestoreWindowBounds() {
    QSettings settings = OpenSettings();
    settings.beginGroup(QStringLiteral("General"));
    QRect bounds(pos(), size());
    bool stored = false;
    const auto read = [&settings, &stored](const char* name, int low, const std::function<void(int)>& use) {
        bool ok = false;
        const int value = settings.value(QString::fromLatin1(name)).toInt(&ok);
        if (!ok) return;
        use(std::clamp(value, low, kMaxWindowExtent));
        stored = true;
    };
    read("Width", minimumWidth(), [&bounds](int value) { bounds.setWidth(value); });
    read("Height", minimumHeight(), [&bounds](int value) { bounds.setHeight(value); });
    read("Left", -kMaxWindowExtent, [&bounds](int value) { bounds.moveLeft(value); });
    read("Top", -kMaxWindowExtent, [&bounds](int value) { bounds.moveTop(value); });
    const bool maximised = ReadFlag(settings, "Maximized", false);
    settings.endGroup();

    // The screen the stored bounds lie on; the primary one when that screen is gone (or
    // at the first start).
    QScreen* screen = stored ? QGuiApplication::screenAt(bounds.center()) : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        if (!stored) {
            // The first start: two thirds of the screen, centred.
            bounds.setSize((available.size() * 2 / 3).expandedTo(minimumSize()));
            bounds.moveCenter(available.center());
        }
        // Within the screen as it is now (a monitor removed, another scale factor).
        bounds.setSize(bounds.size().boundedTo(available.size()).expandedTo(minimumSize()));
        bounds.moveLeft(std::clamp(bounds.left(), available.left(),
                                   std::max(available.left(), available.right() - bounds.width() + 1)));
        bounds.moveTop(std::clamp(bounds.top(), available.top(),
                                  std::max(available.top(), available.bottom() - bounds.height() + 1)));
    }
    resize(bounds.size());
    move(bounds.topLeft());
    if (maximised) setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::RegisterFileAssociation() { RegisterIdxFileType(); }

}  // namespace kelmor
