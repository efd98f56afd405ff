#include "gamelink/KeyString.h"

#include <QTest>

#include <map>

using namespace jk;
using platform::KeyAction;
using platform::NamedKey;

namespace {

// "a" for a plain character, "<S-e>" for a modified one, "<Enter>" or "<C-A-Del>" for a named
// key; a plain '<' is "<lt>" so that characters can never pass for a named key.
QString render(const std::vector<KeyAction>& keys) {
    static const std::map<NamedKey, QString> names = {
        {NamedKey::Backspace, "BS"}, {NamedKey::Delete, "Del"}, {NamedKey::End, "End"},
        {NamedKey::Enter, "Enter"},  {NamedKey::Insert, "Ins"}, {NamedKey::Left, "Left"},
        {NamedKey::Tab, "Tab"},      {NamedKey::Divide, "Div"}};
    QString out;
    for (const KeyAction& k : keys) {
        const QString body = k.key == NamedKey::None ? QString::fromUcs4(&k.character, 1)
                             : k.key >= NamedKey::F1 && k.key <= NamedKey::F16
                                 ? QString("F%1").arg(int(k.key) - int(NamedKey::F1) + 1)
                             : names.count(k.key) ? names.at(k.key)
                                                  : QString("?");
        if (k.key == NamedKey::None && k.modifiers == platform::NoModifier) {
            out += body == u"<" ? QStringLiteral("<lt>") : body;
            continue;
        }
        out += QString("<%1%2%3%4>")
                   .arg(k.modifiers & platform::Shift ? "S-" : "")
                   .arg(k.modifiers & platform::Control ? "C-" : "")
                   .arg(k.modifiers & platform::Alt ? "A-" : "")
                   .arg(body);
    }
    return out;
}

void row(const char* name, const QString& line, const QString& keys) {
    QTest::newRow(name) << line << keys;
}
void row(const char* line, const char* keys) {
    row(line, QString::fromUtf8(line), QString::fromUtf8(keys));
}

} // namespace

class TestKeyString : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
};

// A line as written, and the keys it types. Malformed pieces are typed as written.
void TestKeyString::parse_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("keys");
    row("", "");
    row("Hail, friend! [square] <angle>", "Hail, friend! [square] <lt>angle>");
    row("Grüße, Жук, 日本, 😀 𝄞", "Grüße, Жук, 日本, 😀 𝄞");
    row("lone high surrogate", QStringLiteral("a") + QChar(0xD83D) + u'b', "a\uFFFDb");
    row("lone low surrogate at the end", QStringLiteral("a") + QChar(0xDE00), "a\uFFFD");
    row("tab, CR, LF, CR LF", "a\tb\nc\rd\r\ne", "a<Tab>b<Enter>c<Enter>d<Enter>e");
    row("C0, C1 and NUL dropped", QStringLiteral("a\x01\x1b\x7f\u0085") + QChar(0) + u'b', "ab");
    row("{+}{^}{%}{~}{(}{)}{{}{}}{[}{]}{a}{ }{é}{😀}{<}", "+^%~(){}[]a é😀<lt>");
    row("braced tab", "a{+}b{}}c{\t}", "a+b}c<Tab>");
    row("{bs}{BKSP}{Delete}{del}{END}{ins}{F1}{f16}{DIVIDE}",
        "<BS><BS><Del><Del><End><Ins><F1><F16><Div>");
    row("Hail~a~~{ENTER}", "Hail<Enter>a<Enter><Enter><Enter>");
    row("{LEFT 3}{h 10}{+ 2}{} 2}{{ 2}{  2}{1 2}{😀 2}{h 007}",
        "<Left><Left><Left>hhhhhhhhhh++}}{{  11😀😀hhhhhhh");
    row("a{h 0}b{LEFT 0}^{h 0}x", "abx");
    row("+{LEFT 2}^+{h 2}", "<S-Left><S-Left><S-C-h><S-C-h>");
    row("at the repeat limit", "{h 1000}", QString(1000, u'h'));
    row("{h 1001}{h 99999999999999999999}{h -1}{h x}{h  2}{h 1 2}{ 2}{12}{LEFT2}",
        "{h 1001}{h 99999999999999999999}{h -1}{h x}{h  2}{h 1 2}{ 2}{12}{LEFT2}");
    row("+a^c%f^+{END}%^{DEL}+^%x++a+ab", "<S-a><C-c><A-f><S-C-End><C-A-Del><S-C-A-x><S-a><S-a>b");
    row("modifier on Enter, +, Tab, past a control",
        "+~+{+}^\tx+\x01"
        "a+😀",
        "<S-Enter><S-+><C-Tab>x<S-a><S-😀>");
    row("+(ec)^(a)+(a{+}~{ENTER})+({)})+({h 2}x)^%(a b)c",
        "<S-e><S-c><C-a><S-a><S-+><S-Enter><S-Enter><S-)><S-h><S-h><S-x><C-A-a><C-A- ><C-A-b>c");
    row("I <3 {you", "I <lt>3 {you");
    row("{", "{");
    row("a}b{}{}x{}{+}", "a}b{}{}x{}+");
    row("{foo}{foo+bar~}{ENTERX}{F0}{F17}", "{foo}{foo+bar~}{ENTERX}{F0}{F17}");
    row("{Hail {ENTER}{a{+}", "{Hail <Enter>{a+");
    // A '{' before a key in braces is a lone '{': a text ending in '{' keeps its Enter.
    row("hello {{ENTER}", "hello {<Enter>");
    row("{{{ENTER}{{LEFT 2}{{h}{{foo}", "{{<Enter>{<Left><Left>{h{{foo}");
    row("+(ab", "+(ab");
    row("+(a~", "+(a<Enter>");
    row("+(a{foo}b)+(a^b)+(a(b)c)+()(x))", "+(a{foo}b)+(a<C-b>)+(a(b)c)+()(x))");
    row("a+", "a+");
    row("^%", "^%");
    row("^{you+{foo}x+}+)", "^{you+{foo}x+}+)");
    row("Hail {you} (friend) +", "Hail {you} (friend) +");
    row("(x) ^{you +a", "(x) ^{you <S-a>");
    // Long lines, parsed in linear time whatever is left open.
    const QString hail = QStringLiteral("Hail friend ").repeated(8334);
    row("100,000 characters of text", hail, hail);
    row("unclosed braces", QString(100000, u'{'), QString(100000, u'{'));
    row("braces closed at the end", QString(99999, u'{') + u'}', QString(99998, u'{'));
    row("unclosed groups", QStringLiteral("+(").repeated(50000),
        QStringLiteral("+(").repeated(50000));
    const QString failing = QStringLiteral("+({^)").repeated(20000) + u'}';
    row("groups failing on a far brace", failing, failing);
    const QString bigBrace = u'{' + QString(99998, u'x') + u'}';
    row("one long brace", bigBrace, bigBrace);
    const QString bigCount = QStringLiteral("{a ") + QString(99996, u'9') + u'}';
    row("long count", bigCount, bigCount);
}

void TestKeyString::parse() {
    QFETCH(QString, line);
    QFETCH(QString, keys);
    QCOMPARE(render(ParseKeyString(line)), keys);
}

QTEST_APPLESS_MAIN(TestKeyString)
#include "tst_keystring.moc"
