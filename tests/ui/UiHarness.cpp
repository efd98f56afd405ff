#include "UiHarness.h"

#include "phrasebook/SettingsLayout.h"

#include <QApplication>
#include <QTest>

namespace jk::test {

namespace {

QtMessageHandler testLogHandler = nullptr;

// The tests' offscreen desktop cannot raise windows and says so each time the program asks.
void withoutRaiseNotices(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains(QLatin1String("does not support raise()")))
        return;
    testLogHandler(type, context, text);
}

void quietenRaiseNotices() {
    // After the test runner has put up its own handler, which this one passes on to.
    static const bool installed = [] {
        testLogHandler = qInstallMessageHandler(withoutRaiseNotices);
        return true;
    }();
    (void)installed;
}

} // namespace

UiRun::UiRun(const QString& storePath)
    : store(storePath)
    , link(book, platform, random, [this](const QString& text) { warnings.append(text); })
    , keeper(store, book, prompts)
    , ui{book, store, platform, link, random, prompts, keeper, [this] {
             ++ended;
         }} {
    quietenRaiseNotices();
    main = std::make_unique<FormMain>(ui);
}

UiRun::~UiRun() = default;

void UiRun::start() {
    main->Form_Load();
    if (!main->modes().handedOver())
        main->modes().showMain();
    if (QWidget* shown = main->modes().active())
        activate(*shown);
}

QString UiRun::setting(const QString& key) const {
    return store.read(layout::Settings, key, Missing);
}

QString UiRun::typed(std::size_t n) const {
    return QString::fromStdU32String(platform.typedText(n));
}

StoreFile::StoreFile()
    : path_(dir_.filePath(QStringLiteral("Jeerkit.ini"))) {}

void StoreFile::seed(const std::map<QString, QString>& values) const {
    SettingsStore store(path_);
    for (const auto& [name, value] : values) {
        const qsizetype slash = name.indexOf(QLatin1Char('/'));
        store.write(name.left(slash), name.mid(slash + 1), value);
    }
    store.flush();
}

QString StoreFile::read(const QString& section, const QString& key) const {
    const SettingsStore store(path_);
    return store.read(section, key, Missing);
}

bool activate(QWidget& window) {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

} // namespace jk::test
