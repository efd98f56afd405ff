#include "gamelink/KeyString.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <string>

using namespace jk;
using platform::KeyAction;
using platform::NamedKey;

namespace {

// NamedKey's enumerators in order, then F1 to F16 and the keypad's four.
const char* const KeyNames[] = {"None",       "Backspace", "Break", "CapsLock", "Delete", "Down",
                                "End",        "Enter",     "Esc",   "Help",     "Home",   "Insert",
                                "Left",       "NumLock",   "PgDn",  "PgUp",     "PrtSc",  "Right",
                                "ScrollLock", "Tab",       "Up"};

QString keyName(NamedKey key) {
    const int k = int(key);
    if (k < int(std::size(KeyNames)))
        return QString::fromLatin1(KeyNames[k]);
    if (key >= NamedKey::F1 && key <= NamedKey::F16)
        return QStringLiteral("F%1").arg(k - int(NamedKey::F1) + 1);
    const char* const keypad[] = {"Add", "Subtract", "Multiply", "Divide"};
    return QString::fromLatin1(keypad[k - int(NamedKey::Add)]);
}

// "a" for a plain character, "<S-e>" for a modified one, "<Enter>" or "<C-A-Delete>" for a
// named key; a plain '<' is "<lt>" so that characters can never pass for a named key.
QString render(const std::vector<KeyAction>& keys) {
    QString out;
    for (const KeyAction& k : keys) {
        QString body =
            k.key == NamedKey::None ? QString::fromUcs4(&k.character, 1) : keyName(k.key);
        if (k.key == NamedKey::None && k.modifiers == platform::NoModifier) {
            out += body == u"<" ? QStringLiteral("<lt>") : body;
            continue;
        }
        out += u'<';
        if (k.modifiers & platform::Shift)
            out += u"S-";
        if (k.modifiers & platform::Control)
            out += u"C-";
        if (k.modifiers & platform::Alt)
            out += u"A-";
        out += body + u'>';
    }
    return out;
}

// Braces every character that means something in a key string.
QString escape(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (QStringView(u"+^%~(){}[]").contains(c))
            out += u'{' + QString(c) + u'}';
        else
            out += c;
    }
    return out;
}

void addColumns() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("keys");
}

// The line is its own row name, with control characters spelt out for the log.
void row(const char* line, const char* keys) {
    QByteArray tag;
    for (const char* c = line; *c; ++c)
        tag +=
            static_cast<unsigned char>(*c) < 0x20 || *c == 0x7f
                ? "\\x" +
                      QByteArray::number(static_cast<unsigned char>(*c), 16).rightJustified(2, '0')
                : QByteArray(1, *c);
    QTest::newRow(tag.constData()) << QString::fromUtf8(line) << QString::fromUtf8(keys);
}

} // namespace

class TestKeyString : public QObject {
    Q_OBJECT
private slots:
    void plainText_data();
    void plainText() { check(); }
    void bracedLiterals_data();
    void bracedLiterals() { check(); }
    void namedKeys_data();
    void namedKeys() { check(); }
    void repeats_data();
    void repeats() { check(); }
    void modifiers_data();
    void modifiers() { check(); }
    void malformed_data();
    void malformed() { check(); }
    void escapedTextRoundTrips();
    void unmatchedSyntaxLosesNoText();
    void longLines_data();
    void longLines();

private:
    void check() {
        QFETCH(QString, line);
        QFETCH(QString, keys);
        QCOMPARE(render(ParseKeyString(line)), keys);
    }
};

void TestKeyString::plainText_data() {
    addColumns();
    row("", "");
    row("Hail, friend!", "Hail, friend!");
    row("Upper A and shifted !@#$&*_:\"|?", "Upper A and shifted !@#$&*_:\"|?");
    row("[square] <angle>", "[square] <lt>angle>");
    row("Grüße, Жук, 日本", "Grüße, Жук, 日本");
    row("emoji 😀 and 𝄞", "emoji 😀 and 𝄞");
    QTest::newRow("lone high surrogate")
        << QStringLiteral("a") + QChar(0xD83D) + u'b' << "a\uFFFDb";
    QTest::newRow("lone low surrogate at end") << QStringLiteral("a") + QChar(0xDE00) << "a\uFFFD";
    row("a\tb", "a<Tab>b");
    row("a\nb\rc", "a<Enter>b<Enter>c");
    row("a\r\nb", "a<Enter>b");
    row("a\x01\x1b\x7f b", "a b");
    QTest::newRow("C1 control") << QStringLiteral("a\u0085b") << "ab";
    QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + u'b' << "ab";
}

void TestKeyString::bracedLiterals_data() {
    addColumns();
    for (const char* c : {"+", "^", "%", "~", "(", ")", "{", "[", "]", "a", " ", "Z", "1", "é"})
        row(QByteArray("{").append(c).append("}").constData(), c);
    row("{}}", "}");
    row("{<}", "<lt>");
    row("{😀}", "😀");
    row("a{+}b{}}c", "a+b}c");
    row("{{}{}}", "{}");
    row("{\t}", "<Tab>");
}

void TestKeyString::namedKeys_data() {
    addColumns();
    // Every name of the parser's table, in one of its spellings; case does not matter.
    row("{BACKSPACE}{BS}{bksp}{Break}{CAPSLOCK}{DELETE}{Del}{DOWN}{END}{ENTER}{ESC}",
        "<Backspace><Backspace><Backspace><Break><CapsLock><Delete><Delete><Down><End><Enter><"
        "Esc>");
    row("{HELP}{HOME}{INSERT}{ins}{LEFT}{NUMLOCK}{PGDN}{PgUp}{PRTSC}{RIGHT}{SCROLLLOCK}{TAB}{UP}",
        "<Help><Home><Insert><Insert><Left><NumLock><PgDn><PgUp><PrtSc><Right><ScrollLock><Tab><"
        "Up>");
    row("{F1}{f9}{F16}{ADD}{subtract}{MULTIPLY}{Divide}",
        "<F1><F9><F16><Add><Subtract><Multiply><Divide>");
    row("Hail{ENTER}", "Hail<Enter>");
    row("~", "<Enter>");
    row("a~b~~", "a<Enter>b<Enter><Enter>");
}

void TestKeyString::repeats_data() {
    addColumns();
    row("{LEFT 3}", "<Left><Left><Left>");
    row("{h 10}", "hhhhhhhhhh");
    row("{+ 3}", "+++");
    row("{ENTER 2}", "<Enter><Enter>");
    row("{} 2}", "}}");
    row("{{ 2}", "{{");
    row("{  2}", "  ");
    row("{1 2}", "11");
    row("{😀 2}", "😀😀");
    row("{h 007}", "hhhhhhh");
    row("a{h 0}b", "ab");
    row("{LEFT 0}", "");
    row("+{LEFT 2}", "<S-Left><S-Left>");
    row("^+{h 2}", "<S-C-h><S-C-h>");
    row("^{h 0}x", "x");
    QTest::newRow("at the limit") << "{h 1000}" << QString(1000, u'h');
    row("{h 1001}", "{h 1001}");
}

void TestKeyString::modifiers_data() {
    addColumns();
    row("+a", "<S-a>");
    row("^a^c", "<C-a><C-c>");
    row("%f%t", "<A-f><A-t>");
    row("^+{END}", "<S-C-End>");
    row("%^{DEL}", "<C-A-Delete>");
    row("+^%x", "<S-C-A-x>");
    row("++a", "<S-a>");
    row("+ab", "<S-a>b");
    row("+~", "<S-Enter>");
    row("+{+}", "<S-+>");
    row("^\tx", "<C-Tab>x");
    row("+\x01"
        "a",
        "<S-a>");
    row("+😀", "<S-😀>");
    row("+(ec)", "<S-e><S-c>");
    row("^(a)^(c)", "<C-a><C-c>");
    row("+(a{+}~{ENTER})", "<S-a><S-+><S-Enter><S-Enter>");
    row("+({)})", "<S-)>");
    row("+({h 2}x)", "<S-h><S-h><S-x>");
    row("^%(a b)c", "<C-A-a><C-A- ><C-A-b>c");
}

void TestKeyString::malformed_data() {
    addColumns();
    row("I <3 {you", "I <lt>3 {you");
    row("{", "{");
    row("a}b", "a}b");
    row("{}", "{}");
    row("{}x", "{}x");
    row("{}{+}", "{}+");
    row("{foo}", "{foo}");
    row("{foo+bar~}", "{foo+bar~}");
    row("{ENTERX}", "{ENTERX}");
    row("{F0}{F17}", "{F0}{F17}");
    row("{h x}", "{h x}");
    row("{h 99999}", "{h 99999}");
    row("{h 99999999999999999999}", "{h 99999999999999999999}");
    row("{h -1}", "{h -1}");
    row("{h  2}", "{h  2}");
    row("{h 1 2}", "{h 1 2}");
    row("{ 2}", "{ 2}");
    row("{12}", "{12}");
    row("{LEFT2}", "{LEFT2}");
    row("{Hail {ENTER}", "{Hail <Enter>");
    row("{a{+}", "{a+");
    row("{{foo}", "{{foo}");
    row("hello {{ENTER}", "hello {<Enter>");
    row("{{{ENTER}", "{{<Enter>");
    row("{{LEFT 2}", "{<Left><Left>");
    row("{{h}", "{h");
    row("+(ab", "+(ab");
    row("+(a~", "+(a<Enter>");
    row("+(a{foo}b)", "+(a{foo}b)");
    row("+(a^b)", "+(a<C-b>)");
    row("+(a(b)c)", "+(a(b)c)");
    row("+()", "+()");
    row("(x)", "(x)");
    row(")", ")");
    row("a+", "a+");
    row("^%", "^%");
    row("^{you", "^{you");
    row("+{foo}x", "+{foo}x");
    row("+}", "+}");
    row("+)", "+)");
    row("Hail {you} (friend) +", "Hail {you} (friend) +");
    row("(x) ^{you +a", "(x) ^{you <S-a>");
}

void TestKeyString::escapedTextRoundTrips() {
    const std::u32string pool = U" !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~éßЖ日€😀𝄞";
    QRandomGenerator random(20240611);
    for (int n = 0; n < 500; ++n) {
        std::u32string original;
        const int length = random.bounded(60);
        for (int i = 0; i < length; ++i)
            original += pool[random.bounded(int(pool.size()))];
        const QString text = QString::fromStdU32String(original);
        const QString line = escape(text);

        std::u32string typed;
        for (const KeyAction& k : ParseKeyString(line)) {
            QVERIFY(k.key == NamedKey::None);
            QCOMPARE(int(k.modifiers), 0);
            typed += k.character;
        }
        if (typed != original)
            QFAIL(qPrintable(QStringLiteral("lost or changed text in ") + line));
    }
}

// Whatever the braces, parentheses and modifiers around them, letters and blanks come out
// once each: without digits there are no repeats, and no key name is spelt by 'a' and 'b'.
void TestKeyString::unmatchedSyntaxLosesNoText() {
    const QString alphabet = QStringLiteral("{}()+^%~ab ");
    QRandomGenerator random(77);
    for (int n = 0; n < 5000; ++n) {
        QString line;
        const int length = random.bounded(30);
        for (int i = 0; i < length; ++i)
            line += alphabet[random.bounded(int(alphabet.size()))];
        const std::vector<KeyAction> keys = ParseKeyString(line);
        QVERIFY2(keys.size() <= std::size_t(line.size()), qPrintable(line));
        for (char32_t c : {U'a', U'b', U' '}) {
            const auto typed = std::count_if(keys.begin(), keys.end(), [c](const KeyAction& k) {
                return k.key == NamedKey::None && k.character == c;
            });
            QVERIFY2(typed == line.count(QChar(char16_t(c))),
                     qPrintable(line + QStringLiteral(" -> ") + render(keys)));
        }
    }
}

void TestKeyString::longLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("keys");
    const QString hail = QStringLiteral("Hail friend ").repeated(8334).left(100000);
    QTest::newRow("plain text") << hail << hail;
    const QString open = QString(100000, u'{');
    QTest::newRow("unclosed braces") << open << open;
    const QString closedLate = QString(99999, u'{') + u'}';
    QTest::newRow("braces closed at the end") << closedLate << QString(99998, u'{');
    const QString groups = QStringLiteral("+(").repeated(50000);
    QTest::newRow("unclosed groups") << groups << groups;
    const QString failing = QStringLiteral("+({^)").repeated(20000) + u'}';
    QTest::newRow("groups failing on a far brace") << failing << failing;
    const QString bigBrace = u'{' + QString(99998, u'x') + u'}';
    QTest::newRow("one long brace") << bigBrace << bigBrace;
    const QString bigCount = QStringLiteral("{a ") + QString(99996, u'9') + u'}';
    QTest::newRow("long count") << bigCount << bigCount;
    QTest::newRow("escaped") << QStringLiteral("{+}").repeated(33334)
                             << QStringLiteral("+").repeated(33334);
}

void TestKeyString::longLines() {
    QFETCH(QString, line);
    QFETCH(QString, keys);
    const std::vector<KeyAction> parsed = ParseKeyString(line);
    QCOMPARE(parsed.size(), std::size_t(keys.size()));
    QCOMPARE(render(parsed), keys);
}

QTEST_APPLESS_MAIN(TestKeyString)
#include "tst_keystring.moc"
