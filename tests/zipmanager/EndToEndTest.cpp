// The ZIP manager from File New to archives that Info-ZIP unzip, Python's
// zipfile and our self-extractor read back: stored, block-sorted and
// password-protected builds, an unzip run with a size filter, and a
// self-extracting program made in the tool.
#include "ZipToolHome.h"

#include "platform/zip/SfxBlock.h"
#include "zipmanager/ZipManager.h"
#include "zipmanager/forms/frmFilters.h"
#include "zipmanager/forms/frmMain.h"
#include "zipmanager/forms/frmPassword.h"
#include "zipmanager/forms/frmResults.h"
#include "zipmanager/forms/frmSfx.h"
#include "zipmanager/forms/frmUnzip.h"
#include "zipmanager/forms/frmZip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <fcntl.h>
#include <unistd.h>

using namespace qm::zipmanager;

namespace {

class EndToEndTest : public ZipToolHome {
protected:
    EndToEndTest()
    {
        qm::test::writeFile(native("src/notes.txt"), std::string(3000, 'n'));
        qm::test::writeFile(native("src/deep/data.bin"), std::string(5000, 'd'));
    }

    // File New on `name`: the add-files dialog takes the "src" folder, gets
    // `more` to do, and is left with "&Zip!". Gives the results text.
    std::string newArchive(const std::string& name, std::function<void(frmZip&)> more)
    {
        files_.files.push_back({win(name)});
        const std::string src = win("src");
        std::string results;
        onModal<frmZip>([this, src, more, &results](frmZip& d) {
            d.txtFilesToProcess->setPlainText(QString::fromStdString(src));
            d.chkPreservePaths->setChecked(false);
            more(d);
            collectResults(results);
            d.cmdZip->click();
        });
        form_.mnuFileNew->trigger();
        return results;
    }
    // The next results window: its text goes to `text`, then it is closed.
    void collectResults(std::string& text)
    {
        onModal<frmResults>([&text](frmResults& r) {
            text = r.Text();
            r.cmdOk->click();
        });
    }
    std::vector<std::string> column(std::size_t c) const
    {
        std::vector<std::string> out;
        for (const ZipListRow& r : form_.rows())
            out.push_back(r.texts[c]);
        return out;
    }

    frmMain form_{services_};
};

TEST_F(EndToEndTest, NoCompressionPassesUnzipTest)
{
    const std::string results = newArchive("plain.zip", [](frmZip& d) { d.cmbCompLevel->setCurrentIndex(3); });
    EXPECT_NE(results.find("Zipping completed: " + form_.xZip.ErrorText(0, 0)), std::string::npos) << results;
    EXPECT_EQ(column(10), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(qm::test::runCommand({"unzip", "-tq", native("plain.zip").string()}), 0);
}

TEST_F(EndToEndTest, TypedFullPathsInEitherFormAreTakenAsThosePaths)
{
    // Typed as the file dialogs show a file, and in Windows form, each with
    // blanks around it; the current folder holds neither file.
    const std::string results = newArchive("typed.zip", [this](frmZip& d) {
        d.txtFilesToProcess->setPlainText(QString::fromStdString(" " + native("src/notes.txt").string() + "\n" +
                                                                 win("src/deep/data.bin") + " "));
        d.cmbCompLevel->setCurrentIndex(3); // stored, which unzip reads
    });
    EXPECT_NE(results.find("Zipping completed: " + form_.xZip.ErrorText(0, 0)), std::string::npos) << results;
    EXPECT_EQ(column(NameColumn), (std::vector<std::string>{"notes.txt", "data.bin"}));
    EXPECT_EQ(qm::test::runCommand({"unzip", "-tq", native("typed.zip").string()}), 0);
}

TEST_F(EndToEndTest, NormalIsBlockSortedAndReadsBack)
{
    newArchive("bw.zip", [](frmZip&) {});
    EXPECT_EQ(column(10), (std::vector<std::string>{"18", "18"}));
    std::string out;
    EXPECT_EQ(qm::test::runCommand({"python3", (qm::test::sourceDir() / "tests/interop/zippeer.py").string(), "bw",
                                    native("bw.zip").string()},
                                   &out),
              0)
        << out;
}

TEST_F(EndToEndTest, APasswordProtectsTheFiles)
{
    newArchive("secret.zip", [this](frmZip& d) {
        d.cmbCompLevel->setCurrentIndex(3);
        onModal<frmPassword>([](frmPassword& p) {
            p.txtPassword->setText("s3cret");
            p.cmdOk->click();
        });
        d.cmdPasswordProtect->click();
    });
    EXPECT_EQ(column(11), (std::vector<std::string>{"True", "True"}));
    EXPECT_EQ(qm::test::runCommand({"unzip", "-P", "s3cret", "-tq", native("secret.zip").string()}), 0);
    EXPECT_NE(qm::test::runCommand({"unzip", "-P", "wrong", "-tq", native("secret.zip").string()}), 0);
}

TEST_F(EndToEndTest, UnzipWithASizeFilterTakesOnlyTheLargerFile)
{
    qm::test::writeFile(native("small.txt"), std::string(100, 's'));
    qm::test::writeFile(native("big.txt"), std::string(5000, 'b'));
    zipWith("two.zip", {}, {"small.txt", "big.txt"});
    form_.xZip.ArchivePath = win("two.zip");
    form_.Form_Load();
    const std::string out = win("out");
    std::string results;
    onModal<frmUnzip>([this, out, &results](frmUnzip& d) {
        d.txtExtractDirectory->setText(QString::fromStdString(out));
        d.txtFilesToProcess->setPlainText("*");
        onModal<frmFilters>([](frmFilters& f) {
            f.txtMinSizeToProcess->setText("2");
            f.cmdOk->click();
        });
        d.cmdFilters->click();
        collectResults(results);
        d.cmdExtract->click();
    });
    form_.mnuActionsExtract->trigger();
    EXPECT_NE(results.find("Unzipping completed: "), std::string::npos) << results;
    EXPECT_EQ(qm::test::readFile(native("out/big.txt")), std::string(5000, 'b'));
    EXPECT_FALSE(std::filesystem::exists(native("out/small.txt")));
}

TEST_F(EndToEndTest, SplitSizesAreTakenUpToTheLimitsTheirMessageNames)
{
    std::string noise(150000, '\0'); // bytes that do not shrink: three pieces of 64 K
    uint32_t x = 1;
    for (char& c : noise) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    qm::test::writeFile(native("src/noise.bin"), noise);
    ui_.answer(qm::ui::mb::OK);
    ui_.answer(qm::ui::mb::OK);
    const std::string completed = "Zipping completed: " + form_.xZip.ErrorText(0, 0);
    std::string results = newArchive("least.zip", [](frmZip& d) {
        d.cmbCompLevel->setCurrentIndex(3);
        d.chkSplitting->setChecked(true);
        d.txtSplitSize->setText("63");
        d.cmdZip->click(); // refused: the dialog stays
        d.txtSplitSize->setText("64");
    });
    EXPECT_NE(results.find(completed), std::string::npos) << results;
    EXPECT_EQ(std::filesystem::file_size(native("least.z01")), 65536u);
    EXPECT_EQ(std::filesystem::file_size(native("least.z02")), 65536u);
    EXPECT_EQ(column(NameColumn), (std::vector<std::string>{"data.bin", "noise.bin", "notes.txt"}));

    results = newArchive("most.zip", [](frmZip& d) {
        d.chkSplitting->setChecked(true);
        d.txtSplitSize->setText("2097152");
        d.cmdZip->click();
        d.txtSplitSize->setText("2097151");
    });
    EXPECT_NE(results.find(completed), std::string::npos) << results;
    EXPECT_EQ(form_.xZip.SplitPartSize, 2097151LL * 1024);
    EXPECT_EQ(column(NameColumn).size(), 3u);
    ASSERT_EQ(ui_.boxes().size(), 2u);
    for (const auto& box : ui_.boxes())
        EXPECT_EQ(box.prompt, SplitSizeMessage);
}

// A copy of a self-extracting program that asks nothing: every prompt and
// message of its block switched off (flags are words, so the block keeps its
// length) and existing files replaced.
void makeSilent(const std::filesystem::path& program)
{
    uint64_t start = 0, end = 0;
    std::optional<qm::sfx::SfxConfig> config = qm::sfx::loadFromFile(program.string(), &start, &end);
    ASSERT_TRUE(config);
    for (uint16_t qm::sfx::SfxConfig::*flag :
         {&qm::sfx::SfxConfig::AskDestination, &qm::sfx::SfxConfig::ShowProgress,
          &qm::sfx::SfxConfig::AllowPasswordPrompt, &qm::sfx::SfxConfig::ConfirmCreateFolder,
          &qm::sfx::SfxConfig::ShowSuccessMessage, &qm::sfx::SfxConfig::ShowFailureMessage,
          &qm::sfx::SfxConfig::ShowFolderError, &qm::sfx::SfxConfig::ConfirmStart,
          &qm::sfx::SfxConfig::ShowAgreement})
        (*config).*flag = 0;
    config->OverwriteMode = 2;
    std::optional<std::string> block = qm::sfx::encodeBlock(*config);
    ASSERT_TRUE(block);
    ASSERT_EQ(block->size(), end - start);
    const int fd = ::open(program.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::pwrite(fd, block->data(), block->size(), static_cast<off_t>(start)),
              static_cast<ssize_t>(block->size()));
    ::close(fd);
}

TEST_F(EndToEndTest, ASelfExtractorMadeInTheToolRestoresTheFiles)
{
    const std::filesystem::path stub = qm::test::programDir() / "pvksfx32.bin";
    if (!std::filesystem::exists(stub))
        GTEST_SKIP() << "the self-extractor stub pvksfx32.bin is not built in " << qm::test::programDir();
    std::filesystem::copy_file(stub, home_ / "pvksfx32.bin");
    const std::string restored = win("restored");
    const std::string results = newArchive("setup.exe", [this, restored](frmZip& d) {
        onModal<frmSfx>([restored](frmSfx& s) {
            s.chkMakeSfx->setChecked(true);
            s.txtDefaultFolder->setText(QString::fromStdString(restored));
            s.cmdOk->click();
        });
        d.cmdSfx->click();
    });
    EXPECT_NE(results.find("Zipping completed: " + form_.xZip.ErrorText(0, 0)), std::string::npos) << results;
    // The stand-in served this build only; the dialog's text stays on the control.
    EXPECT_EQ(form_.xZip.SfxStubPath, qm::fs::appPath() + "\\..\\..\\..\\Sfx\\Pvksfx32.bin");

    makeSilent(native("setup.exe"));
    qm::test::ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    std::string out;
    EXPECT_EQ(qm::test::runCommand({native("setup.exe").string()}, &out), 0) << out;
    EXPECT_EQ(qm::test::readFile(native("restored/notes.txt")), std::string(3000, 'n'));
    EXPECT_EQ(qm::test::readFile(native("restored/data.bin")), std::string(5000, 'd'));
}

} // namespace
