// The main window's zip session without a window: the handlers of its zip
// control and the contents window's summary, over a temporary program
// folder, with the windows faked, boxes scripted and the clock fixed. The
// builds that drive it are the engine's and restore's tests.
#include "session/ZipSession.h"

#include "platform/zip/PavikZip.h"
#include "session/ArchiveKinds.h"
#include "session/SessionForms.h"
#include "store/ProjectRecord.h"

#include "SessionHome.h"
#include "ZipTestUtil.h"

namespace {

using namespace qm::session;

class ZipSessionTest : public qm::test::SessionHome {
protected:
    // An archive of the folder `source`, made by a control of its own.
    static void makeArchive(const std::string& source, const std::string& archive)
    {
        qm::zip::PavikZip z;
        z.SourceFolder = source;
        z.ArchivePath = archive;
        ASSERT_EQ(z.Build(), 0) << archive;
    }
    std::vector<std::string> prompts() const { return ui_.titledPrompts(); }

    qm::test::FakeStatusView& status_ = windows_.engine.statusView;
};

TEST_F(ZipSessionTest, HandlersProgressDisksCommentAndSummary)
{
    session_.PavikZip1.ArchivePath = "C:\\out\\p.qmt";
    session_.PavikZip1_TotalProgress(99);
    EXPECT_EQ(status_.calls, std::vector<std::string>{"percent 99"});
    EXPECT_EQ(status_.archiveFile, "C:\\out\\p.qmt");
    session_.PavikZip1_TotalProgress(100);
    EXPECT_EQ(status_.calls, (std::vector<std::string>{"percent 99", "percent 100", "bannerSmall",
                                                       "caption Compression done. Writing file to disk.",
                                                       "banner Please wait while archive file is copied to your "
                                                       "disk\r\n(could take a few minutes)."}));

    ui_.busyPointer();
    ui_.answer(qm::ui::mb::Cancel);
    bool ready = true;
    session_.PavikZip1_DiskRequest(0, ready);
    EXPECT_FALSE(ready);
    EXPECT_FALSE(ui_.boxes()[0].busy);
    session_.PavikZip1_DiskRequest(3, ready);
    EXPECT_TRUE(ready);
    EXPECT_EQ(prompts(), (std::vector<std::string>{
                             "Quillmate: This zip file is part of a multiple disks zip file. Please insert the last "
                             "disk of the set.",
                             "Quillmate: Please insert disk #3"}));
    EXPECT_EQ(ui_.boxes()[1].buttons, qm::ui::mb::OKCancel);
    EXPECT_EQ(ui_.boxes()[1].icon, qm::ui::Icon::Information);

    qm::store::ProjectRecord& rec = state_.store.ProjectRecord(1);
    rec[qm::store::ProjectField::ZIPUseComments] = "yes";
    rec[qm::store::ProjectField::ZIPComments] = "Weekly";
    std::string comment = "kept";
    session_.PavikZip1_CommentRequest(comment); // no ZIP run going on
    EXPECT_EQ(comment, "kept");

    // Listed entries and the summary of the contents window.
    ui_.clearRecords();
    std::string archive = win("out") + "\\Home.qmt";
    makeArchive(makeSource("Home", {{"a.txt", "alpha alpha alpha"}, {"b.txt", "beta"}}), archive);
    state_.Form1.ZipTypeBut.setValue(kind::Zip, true); // as a ZIP backup leaves it
    session_.PavikZip1.ArchivePath = archive;
    session_.PavikZip1.ListEntries();
    session_.PavikZip1.ListEntries();
    ASSERT_EQ(windows_.restore.rows.size(), 4u);
    EXPECT_EQ(windows_.restore.rows[3].first, 4);
    EXPECT_EQ(windows_.restore.rows[3].second.name, "b.txt");
    EXPECT_EQ(windows_.restore.comment, "Weekly"); // the kind recorded is a ZIP kind
    EXPECT_FALSE(windows_.restore.listVisible);
    session_.ViewArchiveInfo(archive);
    const ContentsSummary& s = windows_.restore.summary;
    EXPECT_EQ(s[0] + s[1] + "|" + s[4] + s[5] + "|" + s[8] + s[9], "Files: 2|Uncompressed size: 21|Spanned: False");
    EXPECT_EQ(s[6], "Ratio:");
    EXPECT_TRUE(s[7].ends_with("%"));
    EXPECT_TRUE(windows_.restore.listVisible);

    windows_.restore.listVisible = false;
    std::string missing = win("out") + "\\none.qmt";
    session_.ViewArchiveInfo(missing);
    EXPECT_EQ(ui_.lastBox().prompt, "File info retrieval unsuccessful. Error #501");
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_TRUE(windows_.restore.listVisible);
}

TEST_F(ZipSessionTest, AWarningTheControlRaisesReachesTheRunLog)
{
    // An update finds the old entry of an unchanged file damaged (a flipped
    // data byte, its CRC as it was), makes it anew and says so.
    const std::string source = makeSource("Home", {{"a.txt", "alpha alpha alpha"}, {"b.txt", "beta"}});
    const std::string archive = win("out") + "\\Home.qmt";
    makeArchive(source, archive);
    qm::zip::test::damageEntryData(native("out/Home.qmt"), {"a.txt"});
    qm::zip::PavikZip& z = session_.PavikZip1;
    z.SourceFolder = source;
    z.ArchivePath = archive;
    session_.log().open();
    ASSERT_EQ(z.Build(), 0);
    session_.log().close();
    EXPECT_EQ(logLines(),
              (std::vector<std::string>{
                  "<Now>\ta.txt warning.",
                  "\t\t\tThe file's entry in the old archive was damaged; it was made anew from the file."}));
    EXPECT_EQ(z.Test(), 0);
}

} // namespace
