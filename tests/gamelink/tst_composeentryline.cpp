#include "gamelink/ComposeEntryLine.h"

#include <QTest>

using namespace jk;

namespace {

void row(const char* name, int style, int enter, const QString& text, const QStringList& vars,
         const QString& line) {
    QTest::newRow(name) << style << enter << text << vars << line;
}

} // namespace

class TestComposeEntryLine : public QObject {
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
};

// Style, Enter flag, text and variables, and the key string they make.
void TestComposeEntryLine::compose_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("enter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("vars");
    QTest::addColumn<QString>("line");
    const QStringList bob{"Bob", "(x)"};
    row("yell, brackets", 2, 1, "Help (now)", bob, "! Help [now]{ENTER}");
    row("style 5 is plain", 5, 0, "wave", bob, "wave");
    row("empty text keeps its prefix and Enter", 1, 1, "", bob, ": {ENTER}");
    row("Enter flag 2 is no Enter", 0, 2, "x", bob, "x");
    row("a variable's parentheses kept", 0, 0, "<var2> and <var1>", bob, "(x) and Bob");
    row("empty variable", 0, 0, "a<var3>b", bob, "ab");
    row("nested and lone parentheses", 0, 0, "((a)) a)", bob, "[[a]] a]");
    row("key-string syntax untouched", 0, 0, "+^%~{}{ENTER}", bob, "+^%~{}{ENTER}");
    row("not tokens", 0, 0, "<var9> <variable <VAR1> <var0> <var7> x <var", bob,
        "<var9> <variable <VAR1> <var0> <var7> x <var");
    row("token twice, in order", 0, 0, "<var1><var2><var1>", {"ab", "cd"}, "abcdab");
    row("variable names a variable", 0, 0, "<var1>", {"<var2>", "z"}, "z");
    row("token formed by an insertion", 0, 0, "<va<var1>", {"r2>", "!"}, "!");
    row("token completed by the line", 0, 0, "<var1>2>", {"<var", "B"}, "B");
    row("token again through the text before it", 0, 0, "<var<var1>", {"1>"}, "1>");
    // Parentheses and tokens far beyond any 16-bit position.
    const QString dots(40000, u'.');
    row("long line", 1, 1, dots + "(<var1>)" + dots, bob, ": " + dots + "[Bob]" + dots + "{ENTER}");
    // Expansions that end are carried out whole, however many or long they are.
    row("1025 tokens", 0, 0, QString("<var1>").repeated(1025), {"a"}, QString(1025, u'a'));
    row("chain of 1100 through the line", 0, 1, "<var1>" + QString("1>").repeated(1099), {"<var"},
        "<var{ENTER}");
    row("fan-out of 32 x 30000", 0, 1, "<var1>",
        {"<var2><var2>", "<var3><var3>", "<var4><var4>", "<var5><var5>", "<var6><var6>",
         QString(30000, u'z')},
        QString(960000, u'z') + "{ENTER}");
    row("70000-character variable", 0, 0, "<var1>!", {QString(70000, u'h')},
        QString(70000, u'h') + "!");
    row("fan-out of 10^20 empty texts", 0, 1, "a<var1>b",
        {QString("<var2>").repeated(10000), QString("<var3>").repeated(10000),
         QString("<var4>").repeated(10000), QString("<var5>").repeated(10000),
         QString("<var6>").repeated(10000)},
        "ab{ENTER}");
    // A variable that comes back to itself stays as written where it comes back; the rest of
    // the line, and its Enter, are kept.
    row("self", 0, 1, "a <var1> b", {"<var1>"}, "a <var1> b{ENTER}");
    row("doubling", 0, 0, "<var1>", {"<var1><var1>"}, "<var1><var1>");
    row("mutual", 0, 1, "<var1>!", {"<var2>", "<var3>", "<var1>"}, "<var1>!{ENTER}");
    row("large self", 0, 0, "<var1>", {QString(100000, u'q') + "<var1>"},
        QString(100000, u'q') + "<var1>");
    // Past the length bound the token that would not fit stays as written.
    row("too long", 0, 1, "<var1>", {"<var2><var2>", QString(600000, u'z')},
        QString(600000, u'z') + "<var2>{ENTER}");
}

void TestComposeEntryLine::compose() {
    QFETCH(int, style);
    QFETCH(int, enter);
    QFETCH(QString, text);
    QFETCH(QStringList, vars);
    QFETCH(QString, line);
    std::array<QString, VarCount> v;
    std::copy(vars.begin(), vars.end(), v.begin());
    QCOMPARE(ComposeEntryLine(qint16(style), qint16(enter), text, v), line);
}

QTEST_APPLESS_MAIN(TestComposeEntryLine)
#include "tst_composeentryline.moc"
