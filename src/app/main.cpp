#include "curse/RandomSource.h"
#include "gamelink/GameLink.h"
#include "gamelink/platform/Platform.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "ui/FormMain.h"
#include "ui/GamePicker.h"
#include "ui/Hotkeys.h"
#include "ui/MessageBoxPrompts.h"
#include "ui/StoreKeeper.h"
#include "ui/UiContext.h"
#include "ui/WindowModes.h"

#include "CommandLine.h"
#include "SingleInstance.h"
#ifndef Q_OS_WIN
#include "SignalBridge.h"
#endif

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#ifdef Q_OS_WIN
#include <QStandardPaths>
#endif

#include <cstdio>
#include <cstdlib>

namespace {

// Qt's own texts (the standard buttons of the message boxes) in the desktop's language; the
// program's own texts are English.
void installQtTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = jk::answerCommandLine(argc, argv))
        return *status;
#ifdef Q_OS_LINUX
    // Keystrokes go to the game through X11, so the windows must live on the X display too:
    // as native Wayland windows they could be neither placed, kept on top nor typed from. Many
    // Wayland setups set the variable for every program, so it is overridden, not obeyed.
    if (const QByteArray asked = qgetenv("QT_QPA_PLATFORM"); !asked.isEmpty() && asked != "xcb")
        std::fprintf(stderr, "Jeerkit: QT_QPA_PLATFORM=%s ignored: Jeerkit runs on X11 (xcb)\n",
                     asked.constData());
    qputenv("QT_QPA_PLATFORM", "xcb");
    // Without a display the toolkit would abort with a text that helps nobody.
    if (const std::string problem = jk::platform::windowSystemProblem(); !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
#endif
    QApplication app(argc, argv);
    installQtTranslations(app);
    QApplication::setApplicationName(QStringLiteral("Jeerkit"));
    QApplication::setOrganizationName(QStringLiteral("Jeerkit"));
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.jeerkit.jeerkit"));
    // Switching windows hides one after showing the next; the program ends only through a
    // window's close sequence.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString storePath = jk::SettingsStore::defaultPath();
    // A second program on the same store would overwrite this one's edits: it brings the
    // running one to the front instead.
#ifdef Q_OS_WIN
    // The store is a registry branch; the one-program lock needs a file of its own.
    jk::SingleInstance instance(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
        QStringLiteral("/Jeerkit/Jeerkit.store"));
#else
    jk::SingleInstance instance(storePath);
#endif
    if (const auto start = instance.claim(); start != jk::SingleInstance::Start::Run)
        return start == jk::SingleInstance::Start::Shown ? 0 : 1;

    jk::PhraseBook book;
    jk::SettingsStore store(storePath);
    const std::unique_ptr<jk::platform::Platform> platform = jk::platform::createPlatform();
    jk::ClockSeededRandom random;

    jk::FormMain* mainWindow = nullptr;
    // Boxes stay above the window the player works in, which may be top-most.
    auto parentWindow = [&mainWindow]() -> QWidget* {
        return mainWindow ? mainWindow->modes().active() : nullptr;
    };
    jk::GameLink link(book, *platform, random, [&parentWindow](const QString& text) {
        QMessageBox::warning(parentWindow(), QStringLiteral("Jeerkit"), text);
    });
    link.setGamePicker([&parentWindow, &platform](const QString& text) {
        return jk::pickGameWindow(parentWindow(), text, *platform);
    });
    jk::MessageBoxPrompts prompts(parentWindow);
    jk::StoreKeeper keeper(store, book, prompts);
    QObject::connect(&link, &jk::GameLink::gameWindowClassesChanged, &app, [&] {
        store.writeList(jk::layout::Settings, jk::layout::GameWindowClasses,
                        book.GameWindowClasses);
        keeper.flushSoon();
    });
    jk::UiContext ui{book, store, *platform, link, random, prompts, keeper, [&link] {
                         // A line under way ends where it is, its keys let go of, before the
                         // keyboard is given back below.
                         link.Stop();
                         QCoreApplication::exit(0);
                     }};

    jk::FormMain form(ui);
    mainWindow = &form;
    // The keys work in any window: next and previous set step in the one the player uses.
    jk::Hotkeys hotkeys(ui, [&form](int step) {
        if (jk::WorkingWindow* shown = form.modes().active())
            shown->stepTextSet(step);
    });
    ui.hotkeys = &hotkeys;
#ifndef Q_OS_WIN
    // A kill or a hang-up ends the program as closing its window would. Installed before any
    // window shows; a signal that arrives during start-up is handled once the loop runs.
    jk::SignalBridge signals_;
    QObject::connect(&signals_, &jk::SignalBridge::terminationRequested, &form,
                     [&form] { form.modes().closeActive(); });
#endif
    // The desktop session ending saves like closing the window.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form] { form.modes().closeActive(); });
    // What went wrong with the store, and what an earlier run could only rescue.
    QString told = store.loadProblem();
    if (const QString rescued = store.rescueNotice(); !rescued.isEmpty())
        told += (told.isEmpty() ? QString() : QStringLiteral("\n\n")) + rescued;
    if (!told.isEmpty())
        QMessageBox::warning(nullptr, QStringLiteral("Jeerkit"), told);
    form.Form_Load();
    hotkeys.load();
    // A close asked for during start-up (while the warning above was up) ends it here.
    const bool endedEarly = form.modes().closeIfAsked();
    if (!endedEarly && !form.modes().handedOver())
        form.modes().showMain();
    // A key another program took since the last run does nothing: the player hears of it.
    if (const QStringList lost = hotkeys.notTaken(); !lost.isEmpty() && !endedEarly)
        prompts.tell(QStringLiteral("These hotkeys could not be taken and do nothing this "
                                    "time:\n\n%1\n\nChoose other keys with About → Hotkeys…")
                         .arg(lost.join(u'\n')));

    QObject::connect(&instance, &jk::SingleInstance::activationRequested, &form, [&form] {
        if (QWidget* shown = form.modes().active()) {
            shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
            shown->raise();
            shown->activateWindow();
        }
    });
    // The toolkit ends the program with exit() when the display goes away: the save of the
    // close sequence still runs, for the store needs no display.
    static jk::WindowModes* endingWithoutDisplay = nullptr;
    endingWithoutDisplay = &form.modes();
    std::atexit([] {
        if (endingWithoutDisplay != nullptr)
            endingWithoutDisplay->saveWithoutDisplay();
    });
    const int status = endedEarly ? 0 : QApplication::exec();
    endingWithoutDisplay = nullptr;
    platform->releaseKeyboard();
    return status;
}
