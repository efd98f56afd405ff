#include "phrasebook/BuiltIns.h"

#include "phrasebook/PhraseBook.h"

namespace jk {

namespace {

// The stock phrases of set 1, entries 0..23. The blanks before some "!" are part of them.
constexpr const char* StockPhrases[EntryCount] = {
    "Hail fine sir. Might I purchase some of thine wares?",
    "Hail sir! Might I sell my wares in thy shop?",
    "Knave! May thy hair fall out and thy teeth all rot !",
    "May thy well-known ugliness be visited upon thy children, and their children !",
    "May orcs and lizardmen always look upon thee with lust in their eyes!",
    "STOP or I will have to separate thine head from thy torso.",
    "Thou'rt verily very good in thy profession.",
    "Thou smellest as foul as a sewer doth smell.",
    "Hail !",
    "Say banker, mayhap I can access my bank box from here.",
    "Whither walkest thou? And whence comest?",
    "Well met.",
    "Fare thee well.",
    "Aye Sir and beneath my feet the earth did tilt tossing my ale hither.",
    "I am having difficulty understand thee, friend.",
    "Thou art a knave and a lout, and thou shouldst not anger me.",
    "I see thou hiding behind that tree!",
    "If thou dost drop thy gold mayhap I will let thee live.",
    "I will purchase all thine arrows.",
    "hic",
    "sigh",
    "grin",
    "smile",
    "frown",
};

// Gesture words 1..32; 33..48 stay empty.
constexpr const char* Gestures[] = {
    "yawn",
    "faint",
    "bow",
    "salute",
    "applaud",
    "debate",
    "argue",
    "emphaticargue",
    "blowkiss",
    "formalbow",
    "casualbow",
    "coverears",
    "curtsey",
    "jig",
    "folkdance",
    "dance",
    "tribaldance",
    "foldarms",
    "impatient",
    "lecture",
    "nod",
    "point",
    "armedsalute",
    "greetsalute",
    "unarmedsalute",
    "shakehead",
    "victory",
    "celebrate",
    "wave",
    "twohandwave",
    "longdistancewave",
    "what",
};
static_assert(std::size(Gestures) == 32);

} // namespace

void LoadBuiltIns(PhraseBook& book) {
    for (int n = 1; n <= SetCount; ++n)
        book.BuiltInSetName[n] = QStringLiteral("Adventurer %1").arg(n);
    for (int k = 1; k <= EntryCount; ++k)
        book.BuiltInPhrase[k] = QString::fromUtf8(StockPhrases[k - 1]);
    for (int k = 1; k <= GestureWordCount; ++k)
        book.GestureWord[k] =
            k <= int(std::size(Gestures)) ? QString::fromUtf8(Gestures[k - 1]) : QString();
}

} // namespace jk
