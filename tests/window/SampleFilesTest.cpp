#include <QDir>

#include "WorkflowFixture.h"

// Real-looking sources with every kind of line break go through 自动 and 批量 and must come out
// byte for byte as the files under samples/expected say.
namespace {

struct Sample {
    const char* folder;
    const char* lineLeader;
};

class SampleFilesTest : public WorkflowTest, public ::testing::WithParamInterface<Sample> {
protected:
    void SetUp() override {
        const QDir from(kSamples.filePath(GetParam().folder));
        names = from.entryList(QDir::Files, QDir::Name);
        for (const QString& name : names) {
            folder.Write(name, TempFolder::Read(from.filePath(name)));
        }
        Start();
        Find<QLineEdit>("Text4")->setText(QString::fromLatin1(GetParam().lineLeader));
    }
    void ExpectTargets() const {
        for (const QString& name : names) {
            const QString target = name + QStringLiteral(".TX_");
            EXPECT_EQ(TempFolder::Read(folder.Path(target)),
                      TempFolder::Read(kSamples.filePath(QStringLiteral("expected/") + target)))
                << name.toStdString();
        }
    }

    const QDir kSamples{QStringLiteral(QINGYAN_SAMPLES)};
    QStringList names;
};

TEST_P(SampleFilesTest, AutoKeepsEveryCodeLineAndItsOwnBreak) {
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        Pick(name);
        Press("Command4");
    }
    ExpectTargets();
}

TEST_P(SampleFilesTest, BatchKeepsEveryCodeLineAndItsOwnBreak) {
    form->Command5_Click();
    ExpectTargets();
}

INSTANTIATE_TEST_SUITE_P(Kinds, SampleFilesTest,
                         ::testing::Values(Sample{"asm", ";"}, Sample{"c", "//"}),
                         [](const auto& info) { return std::string(info.param.folder); });

}  // namespace
