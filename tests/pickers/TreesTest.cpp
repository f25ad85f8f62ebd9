// The drive and network trees, offscreen, in the target folder dialog.
#include "pickers/DriveTree.h"
#include "pickers/NetResource.h"
#include "pickers/NetworkTree.h"
#include "pickers/forms/ChooseTargetDir.h"
#include "platform/ui/TreeView.h"

#include "PickerHome.h"
#include "ScriptedNetwork.h"

#include <QPushButton>
#include <QTabWidget>

namespace stdfs = std::filesystem;
using namespace qm::pickers;
using qm::ui::TreeView;

namespace {

std::vector<std::string> childTexts(const TreeView& tree, const std::string& key)
{
    std::vector<std::string> out;
    QTreeWidgetItem* item = tree.node(key);
    for (int i = 0; item && i < item->childCount(); ++i)
        out.push_back(item->child(i)->text(0).toStdString());
    return out;
}

std::vector<std::string> childKeys(const TreeView& tree, const std::string& key)
{
    std::vector<std::string> out;
    QTreeWidgetItem* item = tree.node(key);
    for (int i = 0; item && i < item->childCount(); ++i)
        out.push_back(TreeView::keyOf(item->child(i)));
    return out;
}

bool showsSign(const TreeView& tree, const std::string& key)
{
    QTreeWidgetItem* item = tree.node(key);
    return item->childCount() > 0 || item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

using Texts = std::vector<std::string>;

class TreesTest : public qm::test::PickerHome {
protected:
    TreesTest() { dialog_.show(); }
    TreeView& drives() { return *dialog_.SSTree1; }
    TreeView& network() { return *dialog_.tvwNetwork; }

    ChooseTargetDir dialog_{ui_};
};

TEST_F(TreesTest, DrivesShowTheirLabelsAndOnlyFixedOnesAreAsked)
{
    EXPECT_EQ(childTexts(drives(), "Desktop"), Texts{"My Computer"});
    EXPECT_EQ(childTexts(drives(), "My Computer"), (Texts{"SYSTEM (C:)", "(D:)", " (F:)", "(R:)"}));
    EXPECT_EQ(childKeys(drives(), "My Computer"), (Texts{"C:", "D:", "F:", "R:"}));
    EXPECT_EQ(drives().image("D:"), "CDROM");
    EXPECT_EQ(drives().image("R:"), "Removable");
    EXPECT_EQ(drives().image("F:"), "Fixed");
    // The CD-ROM's folder has a subfolder, but nothing was read: no children,
    // only the sign.
    EXPECT_EQ(drives().childCount("D:"), 0);
    EXPECT_TRUE(showsSign(drives(), "D:"));
    EXPECT_TRUE(drives().node("My Computer")->isExpanded());
    // A drive without its medium opens to nothing and says nothing.
    drives().expand("R:");
    EXPECT_EQ(drives().childCount("R:"), 0);
    EXPECT_FALSE(showsSign(drives(), "R:"));
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(TreesTest, FoldersAreReadOnceWhenOpened)
{
    drives().expand("F:");
    EXPECT_EQ(childTexts(drives(), "F:"), (Texts{"Docs", "empty", "Mixed Case", "onlyhidden"}));
    EXPECT_EQ(childKeys(drives(), "F:"), (Texts{"F:\\DOCS", "F:\\empty", "F:\\Mixed Case", "F:\\onlyhidden"}));
    EXPECT_TRUE(showsSign(drives(), "F:\\DOCS"));
    EXPECT_FALSE(showsSign(drives(), "F:\\empty"));
    EXPECT_FALSE(showsSign(drives(), "F:\\onlyhidden")); // its one folder is hidden
    EXPECT_EQ(drives().image("F:\\DOCS"), "Folder");
    EXPECT_FALSE(ui_.isBusy());

    stdfs::create_directories(root_ / "f/late");
    drives().node("F:")->setExpanded(false);
    drives().expand("F:");
    EXPECT_EQ(drives().childCount("F:"), 4);
    drives().expand("F:\\DOCS");
    EXPECT_EQ(childKeys(drives(), "F:\\DOCS"), Texts{"F:\\DOCS\\sub"});
}

TEST_F(TreesTest, NetworkLevelsComeFromTheResourcesAndSharesFromTheirFolders)
{
    EXPECT_EQ(childKeys(network(), "_ROOT"), (Texts{"Microsoft Windows Network"}));
    EXPECT_EQ(network().tag("_ROOT"), "Y");
    EXPECT_EQ(network().tag("Microsoft Windows Network"), "N");
    EXPECT_EQ(childKeys(network(), "Microsoft Windows Network"), Texts{"Microsoft Windows Network_FAKE"});
    EXPECT_EQ(network().image("Microsoft Windows Network"), "network");

    network().expand("Microsoft Windows Network");
    EXPECT_EQ(childKeys(network(), "Microsoft Windows Network"), Texts{"OFFICE"});
    EXPECT_EQ(network().tag("Microsoft Windows Network"), "Y");
    EXPECT_EQ(childKeys(network(), "OFFICE"), Texts{"OFFICE_FAKE"});
    network().expand("OFFICE");
    EXPECT_EQ(childTexts(network(), "OFFICE"), (Texts{"FILESRV", "LOCKED"}));
    network().expand("\\\\FILESRV");
    EXPECT_EQ(childTexts(network(), "\\\\FILESRV"), (Texts{"public", "C$", "laser"}));
    EXPECT_EQ(network().image("\\\\FILESRV\\C$"), "adminshare");
    EXPECT_EQ(network().image("\\\\FILESRV\\laser"), "printer");
    EXPECT_EQ(network().childCount("\\\\FILESRV\\laser"), 0);
    EXPECT_EQ(network().childCount("\\\\FILESRV\\public"), 1);

    network().expand("\\\\FILESRV\\public");
    EXPECT_EQ(childTexts(network(), "\\\\FILESRV\\public"), (Texts{".profile", "readme.txt", "Setup.EXE", "Docs"}));
    EXPECT_EQ(network().image("\\\\FILESRV\\public\\Docs"), "folder");
    EXPECT_EQ(network().tag("\\\\FILESRV\\public\\Docs"), "N");
    EXPECT_EQ(childKeys(network(), "\\\\FILESRV\\public\\Docs"), Texts{"\\\\FILESRV\\public\\Docs_FAKE"});
    network().expand("\\\\FILESRV\\public\\Docs");
    EXPECT_EQ(childKeys(network(), "\\\\FILESRV\\public\\Docs"), Texts{"\\\\FILESRV\\public\\Docs\\deep"});

    // Admin shares and refusing servers open to nothing, without a message.
    network().expand("\\\\FILESRV\\C$");
    network().expand("\\\\LOCKED");
    EXPECT_EQ(network().childCount("\\\\FILESRV\\C$"), 0);
    EXPECT_EQ(network().childCount("\\\\LOCKED"), 0);
    EXPECT_EQ(network().tag("\\\\LOCKED"), "Y");
    // Filled once.
    qm::test::writeFile(root_ / "pub/new.txt", "n");
    network().node("\\\\FILESRV\\public")->setExpanded(false);
    network().expand("\\\\FILESRV\\public");
    EXPECT_EQ(network().childCount("\\\\FILESRV\\public"), 4);
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(TreesTest, AFillThatFailsSaysWhyAndKeepsWhatItAdded)
{
    // A folder of a share that has gone since its parent was read.
    network().expand("Microsoft Windows Network");
    network().expand("OFFICE");
    network().expand("\\\\FILESRV");
    network().expand("\\\\FILESRV\\public");
    stdfs::remove_all(root_ / "pub/Docs");
    network().expand("\\\\FILESRV\\public\\Docs");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error number: 76\r\n", 0), 0u) << ui_.lastBox().prompt;
    EXPECT_EQ(ui_.lastBox().title, "Quillmate");
    EXPECT_EQ(network().tag("\\\\FILESRV\\public\\Docs"), "N");
    EXPECT_EQ(network().childCount("\\\\FILESRV\\public\\Docs"), 0);
}

TEST_F(TreesTest, ADuplicateNameOnTheNetworkIsReported)
{
    qm::test::ScriptedNetwork net;
    net.entries = {qm::test::share("\\\\S\\a"), qm::test::share("\\\\S\\b"),
                   qm::test::share("\\\\s\\A")};
    NetResource root(net);
    TreeView tree;
    NetworkTreeSetup(tree, root, ui_);
    EXPECT_EQ(tree.childCount("_ROOT"), 0);
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error number: 457\r\n", 0), 0u);
    EXPECT_EQ(net.opens, net.closes);
    EXPECT_FALSE(root.isEnumerated());
}

TEST_F(TreesTest, WithoutANetworkOnlyTheRootShows)
{
    stdfs::remove(qm::net::neighbourhoodFile());
    ChooseTargetDir fresh(ui_);
    fresh.show();
    EXPECT_EQ(fresh.tvwNetwork->topLevelItemCount(), 1);
    EXPECT_EQ(fresh.tvwNetwork->text("_ROOT"), "Entire Network");
    EXPECT_EQ(fresh.tvwNetwork->childCount("_ROOT"), 0);
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(TreesTest, ClosingTheDialogDuringALongFillStopsIt)
{
    for (int i = 0; i < 2000; ++i) {
        stdfs::create_directories(root_ / ("f/big/d" + std::to_string(i)));
        qm::test::writeFile(root_ / ("f/big/d" + std::to_string(i) + "/file"), "");
    }
    drives().expand("F:");
    ui_.atDoEvents(ui_.doEventsCount() + 2500, [&] { dialog_.cmdCancel->click(); });
    drives().expand("F:\\big");
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialog_.answer().ending, Ending::Cancel);
    const int added = drives().childCount("F:\\big");
    EXPECT_GT(added, 0);
    EXPECT_LT(added, 2000);
    EXPECT_FALSE(ui_.isBusy());
}

} // namespace
