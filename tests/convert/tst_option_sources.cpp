// The manual page and the bash completion name every option the converter
// declares, and no other.

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "CommandLine.h"

namespace {

QString FileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

// "-o" and "--output" for every name of every declared option.
QSet<QString> DeclaredNames() {
    QSet<QString> names;
    for (const Convert::OptionDeclaration& option : Convert::DeclaredOptions())
        for (const QString& name : option.names)
            names.insert((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    return names;
}

// The options the manual's OPTIONS section heads its entries with: the line
// after each ".TP", where "\-" writes a dash.
QSet<QString> ManualPageNames(const QString& page) {
    const qsizetype start = page.indexOf(QStringLiteral("\n.SH OPTIONS\n"));
    const qsizetype end = page.indexOf(QStringLiteral("\n.SH "), start + 1);
    const QStringList lines = page.mid(start, end - start).split(QLatin1Char('\n'));
    static const QRegularExpression optionName(QStringLiteral(R"((?<![\w-])((?:\\-){1,2}[a-z][a-z-]*))"));
    QSet<QString> names;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != QLatin1String(".TP")) continue;
        for (const auto& match : optionName.globalMatch(lines[i + 1]))
            names.insert(match.captured(1).remove(QLatin1Char('\\')));
    }
    return names;
}

// The words the completion offers for a word starting with a dash.
QSet<QString> CompletionNames(const QString& script) {
    static const QRegularExpression offered(QStringLiteral(R"(compgen -W '(-[^']*)')"));
    QSet<QString> names;
    for (const auto& match : offered.globalMatch(script))
        for (const QString& word :
             match.captured(1).split(QRegularExpression(QStringLiteral(R"(\s+)")), Qt::SkipEmptyParts))
            names.insert(word);
    return names;
}

QString Listed(QStringList names) {
    names.sort();
    return names.join(QLatin1Char(' '));
}

}  // namespace

class OptionSourcesTest : public QObject {
    Q_OBJECT

private slots:
    void namesEveryDeclaredOptionAndNoOther_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("manualPage");
        QTest::newRow("manual page") << QStringLiteral(PELORIN_CONVERT_MANUAL_PAGE) << true;
        QTest::newRow("bash completion") << QStringLiteral(PELORIN_CONVERT_COMPLETION) << false;
    }

    void namesEveryDeclaredOptionAndNoOther() {
        QFETCH(QString, path);
        QFETCH(bool, manualPage);
        const QString text = FileText(path);
        const QSet<QString> named = manualPage ? ManualPageNames(text) : CompletionNames(text);
        const QSet<QString> declared = DeclaredNames();
        QVERIFY2(declared.size() >= 10, "the table declares the converter's options");
        QCOMPARE(Listed((declared - named).values()), QString());  // declared, not named
        QCOMPARE(Listed((named - declared).values()), QString());  // named, not declared
    }

    // The readers above find a name that is missing or extra in a text.
    void readersSeeEachName_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("manualPage");
        QTest::addColumn<QString>("names");
        QTest::newRow("manual page entries")
            << QStringLiteral(
                   ".SH OPTIONS\n.TP\n.BR \\-o \", \" \\-\\-output \" \" \\fIFILE\\fR\nWrite "
                   "\\-\\-to.\n.TP\n.B \\-\\-fit\n.SH EXIT STATUS\n.TP\n.B \\-\\-late\n")
            << true << QStringLiteral("--fit --output -o");
        QTest::newRow("completion words")
            << QStringLiteral(
                   "--to)\n COMPREPLY=($(compgen -W 'bit png' -- \"$cur\"))\n"
                   "COMPREPLY=($(compgen -W '-o --output\n    --fit' -- \"$cur\"))\n")
            << false << QStringLiteral("--fit --output -o");
    }

    void readersSeeEachName() {
        QFETCH(QString, text);
        QFETCH(bool, manualPage);
        QFETCH(QString, names);
        QCOMPARE(Listed((manualPage ? ManualPageNames(text) : CompletionNames(text)).values()), names);
    }
};

QTEST_GUILESS_MAIN(OptionSourcesTest)
#include "tst_option_sources.moc"
