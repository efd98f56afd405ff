#pragma once

#include "curse/RandomSource.h"
#include "gamelink/GameLink.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsLayout.h"
#include "phrasebook/SettingsStore.h"
#include "support/FakePlatform.h"
#include "ui/FormMain.h"
#include "ui/FormSmall.h"
#include "ui/Prompts.h"
#include "ui/StoreKeeper.h"
#include "ui/UiContext.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace jk::test {

// Makes the window the active one and waits until the desktop agrees.
inline bool activate(QWidget& window) {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

// One run of the program's windows on a fake desktop with a game window, started as the
// program starts them. It answers the windows' questions and remembers what they asked.
class UiRun : public Prompts {
public:
    explicit UiRun(const QString& storePath)
        : store(storePath)
        , link(book, platform, random, [](const QString&) {})
        , keeper(store, book, *this)
        , ui{book, store, platform, link, random, *this, keeper, [this] {
                 ++ended;
             }} {
        // The offscreen desktop cannot raise windows and would say so each time.
        static const QtMessageHandler next = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (!text.contains(QLatin1String("does not support raise()")))
                    next(type, context, text);
            });
        platform.windows["Ultima Online"] = 77;
        main = std::make_unique<FormMain>(ui);
        main->Form_Load();
        if (!main->modes().handedOver())
            main->modes().showMain();
        activate(*main->modes().active());
    }

    void tell(const QString& text) override { told.append(text); }
    bool askRetry(const QString& text) override {
        asked.append(text);
        return retries-- > 0;
    }
    // Settings/key as the store holds it now (written, maybe not yet on the disk).
    QString setting(const QString& key) const { return store.read(layout::Settings, key, {}); }
    // What the store file holds now; "<missing>" when absent.
    QString read(const QString& section, const QString& key) const {
        return SettingsStore(store.path()).read(section, key, QStringLiteral("<missing>"));
    }
    // The n-th typed line as text.
    QString typed(std::size_t n) const { return QString::fromStdU32String(platform.typedText(n)); }
    WorkingWindow* window(WindowSize size) const { return main->modes().window(size); }
    // Clicks the switch buttons until that window is the active one.
    template <class W = WorkingWindow>
    W& switchTo(WindowSize size) {
        while (main->modes().active()->windowSize() != size)
            main->modes().active()->Command3()->click();
        return static_cast<W&>(*window(size));
    }

    FakePlatform platform;
    PhraseBook book;
    SettingsStore store;
    ClockSeededRandom random;
    GameLink link;
    QStringList told, asked; // what the windows told and asked the player
    int retries = 0;         // answers "Retry" this many times, then "Quit without saving"
    StoreKeeper keeper;
    int ended = 0;
    UiContext ui;
    std::unique_ptr<FormMain> main;
};

// A store file in a fresh temporary folder, with "Section/Key" values written beforehand.
struct StoreFile {
    explicit StoreFile(std::initializer_list<std::pair<QString, QString>> seed = {}) {
        SettingsStore store(path);
        for (const auto& [name, value] : seed)
            store.write(name.section(u'/', 0, 0), name.section(u'/', 1), value);
        store.flush();
    }
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Jeerkit.ini"));
};

// A run on a store file of its own.
struct Run : StoreFile, UiRun {
    explicit Run(std::initializer_list<std::pair<QString, QString>> seed = {})
        : StoreFile(seed)
        , UiRun(path) {}
};

} // namespace jk::test

// Every test of the windows works in these.
using namespace jk;
using namespace jk::test;
using namespace Qt::StringLiterals;
