#include "fuzz/enginefuzz.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

// The engine's fuzz corpus replayed without the fuzzer: every input that once crashed it or made
// its answer depend on what ran before (fuzz/regressions), and the seeds taken from the
// statements the program builds (fuzz/seeds). A crash or a changed answer aborts the test.
class TestFuzzCorpus : public QObject {
    Q_OBJECT
private slots:
    void replay();
};

void TestFuzzCorpus::replay() {
    int inputs = 0, answered = 0;
    for (const QString& folder : QStringLiteral(FUZZ_CORPORA).split(u':')) {
        const QDir dir(folder);
        QVERIFY2(dir.exists(), qPrintable(folder));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray input = f.readAll();
            const QString outcome = runEngineFuzzInput(
                reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
            if (qEnvironmentVariableIsSet("FUZZ_REPLAY_VERBOSE"))
                qInfo("%s: %s", qPrintable(name), qPrintable(outcome.simplified()));
            answered += outcome.startsWith(u"ok"_s);
            ++inputs;
        }
    }
    QVERIFY(inputs > 0);
    qInfo("%d inputs replayed, %d answered, the others refused", inputs, answered);
}

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
