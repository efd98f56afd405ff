// An entry composed into a key string, and a key string parsed into keys.
#include "gamelink/ComposeEntryLine.h"
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

void composeRow(const char* name, int style, int enter, const QString& text,
                const QStringList& vars, const QString& line) {
    QTest::newRow(name) << style << enter << text << vars << line;
}

} // namespace

class TestLine : public QObject {
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
    void parse_data();
    void parse();
};

// Style, Enter flag, text and variables, and the key string they make.
void TestLine::compose_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("enter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("vars");
    QTest::addColumn<QString>("line");
    const QStringList bob{"Bob", "(x)"};
    composeRow("yell, brackets", 2, 1, "Help (now)", bob, "! Help [now]{ENTER}");
    composeRow("style 5 is plain", 5, 0, "wave", bob, "wave");
    composeRow("empty text keeps its prefix and Enter", 1, 1, "", bob, ": {ENTER}");
    composeRow("Enter flag 2 is no Enter", 0, 2, "x", bob, "x");
    composeRow("a variable's parentheses kept", 0, 0, "<var2> and <var1>", bob, "(x) and Bob");
    composeRow("empty variable", 0, 0, "a<var3>b", bob, "ab");
    composeRow("nested and lone parentheses", 0, 0, "((a)) a)", bob, "[[a]] a]");
    composeRow("key-string syntax untouched", 0, 0, "+^%~{}{ENTER}", bob, "+^%~{}{ENTER}");
    composeRow("not tokens", 0, 0, "<var9> <variable <VAR1> <var0> <var7> x <var", bob,
               "<var9> <variable <VAR1> <var0> <var7> x <var");
    composeRow("token twice, in order", 0, 0, "<var1><var2><var1>", {"ab", "cd"}, "abcdab");
    composeRow("variable names a variable", 0, 0, "<var1>", {"<var2>", "z"}, "z");
    composeRow("token formed by an insertion", 0, 0, "<va<var1>", {"r2>", "!"}, "!");
    composeRow("token completed by the line", 0, 0, "<var1>2>", {"<var", "B"}, "B");
    composeRow("token again through the text before it", 0, 0, "<var<var1>", {"1>"}, "1>");
    // A variable's text that completes starts written before its own token, level by level.
    composeRow("through three starts", 0, 0, "<<<var1>", {"var1>"}, "var1>");
    composeRow("through starts left by others", 0, 0, "a<<><var1<var2<var2>var1>",
               {"", "<var5>", "v", "r<var3>r", ">", ""}, "a<<>var1>");
    composeRow("starts and their ends far apart", 0, 0, "<var1><var1><var6><var5>><<<var1>",
               {"<var6>\"ß{TAB}", "<var5>", "", "<var 1>))a", "<var6>[\"", "var1>()x"},
               "var1>()x\"ß{TAB}var1>()x\"ß{TAB}var1>()xvar1>()x[\">var1>()x\"ß{TAB}()x\"ß{TAB}()x"
               "\"ß{TAB}");
    composeRow("2047 steps, each on what the one before left", 0, 0,
               "<var2" + QString("<var1").repeated(10) + ">", {">><var1", "<var2"},
               "<var2" + QString("<var1").repeated(10));
    // Parentheses and tokens far beyond any 16-bit position.
    const QString dots(40000, u'.');
    composeRow("long line", 1, 1, dots + "(<var1>)" + dots, bob,
               ": " + dots + "[Bob]" + dots + "{ENTER}");
    // Expansions that end are carried out whole, however many or long they are.
    composeRow("1025 tokens", 0, 0, QString("<var1>").repeated(1025), {"a"}, QString(1025, u'a'));
    composeRow("chain of 1100 through the line", 0, 1, "<var1>" + QString("1>").repeated(1099),
               {"<var"}, "<var{ENTER}");
    composeRow("fan-out of 32 x 30000", 0, 1, "<var1>",
               {"<var2><var2>", "<var3><var3>", "<var4><var4>", "<var5><var5>", "<var6><var6>",
                QString(30000, u'z')},
               QString(960000, u'z') + "{ENTER}");
    composeRow("70000-character variable", 0, 0, "<var1>!", {QString(70000, u'h')},
               QString(70000, u'h') + "!");
    composeRow("fan-out of 10^20 empty texts", 0, 1, "a<var1>b",
               {QString("<var2>").repeated(10000), QString("<var3>").repeated(10000),
                QString("<var4>").repeated(10000), QString("<var5>").repeated(10000),
                QString("<var6>").repeated(10000)},
               "ab{ENTER}");
    // A variable that comes back to itself stays as written where it comes back; the rest of
    // the line, and its Enter, are kept.
    composeRow("self", 0, 1, "a <var1> b", {"<var1>"}, "a <var1> b{ENTER}");
    composeRow("doubling", 0, 0, "<var1>", {"<var1><var1>"}, "<var1><var1>");
    composeRow("mutual", 0, 1, "<var1>!", {"<var2>", "<var3>", "<var1>"}, "<var1>!{ENTER}");
    composeRow("large self", 0, 0, "<var1>", {QString(100000, u'q') + "<var1>"},
               QString(100000, u'q') + "<var1>");
    // Past the length bound the token that would not fit stays as written.
    composeRow("too long", 0, 1, "<var1>", {"<var2><var2>", QString(600000, u'z')},
               QString(600000, u'z') + "<var2>{ENTER}");
}

void TestLine::compose() {
    QFETCH(int, style);
    QFETCH(int, enter);
    QFETCH(QString, text);
    QFETCH(QStringList, vars);
    QFETCH(QString, line);
    std::array<QString, VarCount> v;
    std::copy(vars.begin(), vars.end(), v.begin());
    QCOMPARE(ComposeEntryLine(qint16(style), qint16(enter), text, v), line);
}

// A line as written, and the keys it types. Malformed pieces are typed as written.
void TestLine::parse_data() {
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

void TestLine::parse() {
    QFETCH(QString, line);
    QFETCH(QString, keys);
    QCOMPARE(render(ParseKeyString(line)), keys);
}

QTEST_APPLESS_MAIN(TestLine)
#include "tst_line.moc"
