#pragma once

#include "curse/RandomSource.h"
#include "gamelink/GameLink.h"
#include "phrasebook/PhraseBook.h"
#include "phrasebook/SettingsStore.h"
#include "support/FakePlatform.h"
#include "ui/FormMain.h"
#include "ui/Prompts.h"
#include "ui/StoreKeeper.h"
#include "ui/UiContext.h"

#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <map>
#include <memory>

namespace jk::test {

// Answers the windows' questions as a test script says and remembers what was asked.
class RecordingPrompts final : public Prompts {
public:
    QStringList told;
    QStringList asked;
    std::deque<bool> retryAnswers; // empty: quit without saving

    void tell(const QString& text) override { told.append(text); }
    bool askRetry(const QString& text) override {
        asked.append(text);
        if (retryAnswers.empty())
            return false;
        const bool answer = retryAnswers.front();
        retryAnswers.pop_front();
        return answer;
    }
};

// One run of the program's windows on a fake desktop and a store file of the test's own.
class UiRun {
public:
    explicit UiRun(const QString& storePath);
    ~UiRun();

    // The start-up: the main window's load, then the main window unless it handed over.
    void start();

    // Settings/key as the run's store holds it now (written, maybe not yet flushed).
    QString setting(const QString& key) const;
    // The n-th typed line as text.
    QString typed(std::size_t n) const;

    FakePlatform platform;
    PhraseBook book;
    SettingsStore store;
    ClockSeededRandom random;
    QStringList warnings;
    GameLink link;
    RecordingPrompts prompts;
    StoreKeeper keeper;
    int ended = 0;
    UiContext ui;
    std::unique_ptr<FormMain> main;
};

// A store file in a fresh temporary folder, with values written before the first run.
class StoreFile {
public:
    StoreFile();
    QString path() const { return path_; }
    // Writes "Section/Key" values and flushes them.
    void seed(const std::map<QString, QString>& values) const;
    // What the file holds now; empty optional-like "<missing>" when absent.
    QString read(const QString& section, const QString& key) const;

private:
    QTemporaryDir dir_;
    QString path_;
};

inline const QString Missing = QStringLiteral("<missing>");

// Makes the window the active one and waits until the desktop agrees.
bool activate(QWidget& window);

} // namespace jk::test
