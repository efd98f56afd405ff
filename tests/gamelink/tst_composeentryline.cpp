#include "gamelink/ComposeEntryLine.h"

#include <QTest>

using namespace jk;

using Vars = std::array<QString, VarCount>;
Q_DECLARE_METATYPE(Vars)

class TestComposeEntryLine : public QObject {
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
    void longLinesHaveNoCeiling();
};

void TestComposeEntryLine::compose_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("enter");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Vars>("vars");
    QTest::addColumn<QString>("line");

    const Vars bob{"Bob", "(x)", "", "", "", ""};
    QTest::newRow("say") << 0 << 0 << "Hail" << bob << "Hail";
    QTest::newRow("emote enter") << 1 << 1 << "bows" << bob << ": bows{ENTER}";
    QTest::newRow("yell brackets") << 2 << 1 << "Help (now)" << bob << "! Help [now]{ENTER}";
    QTest::newRow("whisper var") << 3 << 0 << "hi <var1>" << bob << "; hi Bob";
    QTest::newRow("gesture no space") << 4 << 1 << "wave" << bob << "`wave{ENTER}";
    QTest::newRow("style 7 plain") << 7 << 0 << "wave" << bob << "wave";
    QTest::newRow("style -1 plain") << -1 << 0 << "wave" << bob << "wave";
    QTest::newRow("style 5 plain") << 5 << 0 << "wave" << bob << "wave";
    QTest::newRow("var parens kept") << 0 << 0 << "<var2> and <var1>" << bob << "(x) and Bob";
    QTest::newRow("empty text") << 1 << 1 << "" << bob << ": {ENTER}";
    QTest::newRow("empty var removes token") << 0 << 0 << "a<var3>b" << bob << "ab";
    QTest::newRow("var7 untouched") << 0 << 0 << "see <var7>" << bob << "see <var7>";
    QTest::newRow("enter flag 2") << 0 << 2 << "x" << bob << "x";
    QTest::newRow("enter after expansion") << 0 << 1 << "<var1>" << bob << "Bob{ENTER}";
    QTest::newRow("nested parens") << 0 << 0 << "((a))" << bob << "[[a]]";
    QTest::newRow("lone close paren") << 0 << 0 << "a)" << bob << "a]";
    QTest::newRow("specials untouched") << 0 << 0 << "+^%~{}{ENTER}" << bob << "+^%~{}{ENTER}";

    const Vars ab{"ab", "cd", "", "", "", ""};
    QTest::newRow("token twice") << 0 << 0 << "<var1><var1>" << ab << "abab";
    QTest::newRow("two tokens in order") << 0 << 0 << "<var2><var1>" << ab << "cdab";

    const Vars chain{"<var2>", "z", "", "", "", ""};
    QTest::newRow("var refers to var") << 0 << 0 << "<var1>" << chain << "z";

    const Vars parens{"(hi)", "", "", "", "", ""};
    QTest::newRow("var parens not bracketed") << 0 << 0 << "<var1>" << parens << "(hi)";

    QTest::newRow("invalid tokens skipped") << 0 << 0 << "<var9> <variable <VAR1> <var0> <var1>"
                                            << bob << "<var9> <variable <VAR1> <var0> Bob";
    QTest::newRow("trailing <var") << 0 << 0 << "x <var" << bob << "x <var";

    // A token only formed once a variable is inserted: "<va" + "r1>".
    const Vars split{"r2>", "!", "", "", "", ""};
    QTest::newRow("token across insertion") << 0 << 0 << "<va<var1>" << split << "!";
    // The inserted text ends where the line's own text continues a token.
    const Vars tail{"<var", "B", "", "", "", ""};
    QTest::newRow("token completed by line") << 0 << 0 << "<var1>2>" << tail << "B";

    // Expansions that end are carried out whole, however many or long they are.
    const Vars a{"a", "", "", "", "", ""};
    QTest::newRow("1025 tokens") << 0 << 0 << QString("<var1>").repeated(1025) << a
                                 << QString(1025, u'a');
    const Vars open{"<var", "", "", "", "", ""};
    QTest::newRow("chain of 1100 through the line")
        << 0 << 1 << "<var1>" + QString("1>").repeated(1099) << open << "<var{ENTER}";
    const Vars deep{"<var2><var2>", "<var3><var3>", "<var4><var4>",
                    "<var5><var5>", "<var6><var6>", QString(30000, u'z')};
    QTest::newRow("fan-out of 32 x 30000")
        << 0 << 1 << "<var1>" << deep << QString(960000, u'z') + "{ENTER}";
    QTest::newRow("token again through the text before it")
        << 0 << 0 << "<var<var1>" << Vars{"1>", "", "", "", "", ""} << "1>";
    const Vars huge{QString(70000, u'h'), "", "", "", "", ""};
    QTest::newRow("70000-character variable")
        << 0 << 0 << "<var1>!" << huge << QString(70000, u'h') + "!";
    const Vars hollow{QString("<var2>").repeated(10000), QString("<var3>").repeated(10000),
                      QString("<var4>").repeated(10000), QString("<var5>").repeated(10000),
                      QString("<var6>").repeated(10000), ""};
    QTest::newRow("fan-out of 10^20 empty texts") << 0 << 1 << "a<var1>b" << hollow << "ab{ENTER}";

    // A variable that comes back to itself stays as written where it comes back; the rest of
    // the line, and its Enter, are kept.
    QTest::newRow("self") << 0 << 1 << "a <var1> b" << Vars{"<var1>", "", "", "", "", ""}
                          << "a <var1> b{ENTER}";
    QTest::newRow("self with text")
        << 0 << 0 << "<var1>" << Vars{"x<var1>", "", "", "", "", ""} << "x<var1>";
    QTest::newRow("doubling") << 0 << 0 << "<var1>" << Vars{"<var1><var1>", "", "", "", "", ""}
                              << "<var1><var1>";
    QTest::newRow("mutual") << 0 << 1 << "<var1>!" << Vars{"<var2>", "<var3>", "<var1>", "", "", ""}
                            << "<var1>!{ENTER}";
    QTest::newRow("large self") << 0 << 0 << "<var1>"
                                << Vars{QString(100000, u'q') + "<var1>", "", "", "", "", ""}
                                << QString(100000, u'q') + "<var1>";
    // Past the length bound the token that would not fit stays as written.
    const Vars wide{"<var2><var2>", QString(600000, u'z'), "", "", "", ""};
    QTest::newRow("too long") << 0 << 1 << "<var1>" << wide
                              << QString(600000, u'z') + "<var2>{ENTER}";
}

void TestComposeEntryLine::compose() {
    QFETCH(int, style);
    QFETCH(int, enter);
    QFETCH(QString, text);
    QFETCH(Vars, vars);
    QFETCH(QString, line);
    QCOMPARE(ComposeEntryLine(qint16(style), qint16(enter), text, vars), line);
}

void TestComposeEntryLine::longLinesHaveNoCeiling() {
    // Parentheses and placeholders far beyond any 16-bit position are still handled.
    const QString filler(40000, u'.');
    const QString text = filler + "(<var1>)" + filler;
    const Vars vars{"Bob", "", "", "", "", ""};
    const QString line = ComposeEntryLine(1, 1, text, vars);
    QCOMPARE(line, ": " + filler + "[Bob]" + filler + "{ENTER}");

    const QString big(100000, u'w');
    QCOMPARE(ComposeEntryLine(0, 0, big, vars), big);
}

QTEST_APPLESS_MAIN(TestComposeEntryLine)
#include "tst_composeentryline.moc"
