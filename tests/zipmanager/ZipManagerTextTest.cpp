// The ZIP manager's helpers: attribute letters, file dialog answers, list
// rows to lines, the key filter, K fields, the file dialog requests.
#include "platform/zip/ZipEvents.h"
#include "zipmanager/DialogFields.h"
#include "zipmanager/FileDialogs.h"
#include "zipmanager/ZipManager.h"
#include "zipmanager/ZipManagerText.h"

#include <gtest/gtest.h>

using namespace qm::zipmanager;
using namespace std::string_literals;

namespace {

ZipListRow row(const std::string& name, const std::string& path, bool selected)
{
    ZipListRow r;
    r.texts[NameColumn] = name;
    r.texts[PathColumn] = path;
    r.Selected = selected;
    return r;
}

class OneAnswer : public FileDialogs {
public:
    std::vector<std::string> answer;
    std::optional<std::string> folder;
    std::vector<FileDialogRequest> asked;
    std::vector<std::string> chooseFiles(const FileDialogRequest& r) override
    {
        asked.push_back(r);
        return answer;
    }
    std::optional<std::string> chooseFolder(const std::string&) override { return folder; }
};

} // namespace

TEST(ZipManagerText, AttribString)
{
    EXPECT_EQ(AttribString(0x21), "A---R--");
    EXPECT_EQ(AttribString(0x30), "A-D----");
    EXPECT_EQ(AttribString(0), "-------");
    EXPECT_EQ(AttribString(0x83F), "ACDHRSV");
}

TEST(ZipManagerText, NullSeparatedAnswers)
{
    const std::string two = "C:\\docs\0a.txt\0b.txt"s;
    EXPECT_EQ(CountNullItems(two), 2);
    EXPECT_EQ(CountNullItems("C:\\docs\\a.txt"), 1);
    EXPECT_EQ(NextNullItem(two, 1), "C:\\docs\\a.txt");
    EXPECT_EQ(NextNullItem(two, 2), "C:\\docs\\b.txt");
    // Past the last item (or before the first) there is no file.
    EXPECT_EQ(NextNullItem(two, 3), "");
    EXPECT_EQ(NextNullItem(two, 0), "");
    EXPECT_EQ(NullListToLines(two), "C:\\docs\\a.txt\r\nC:\\docs\\b.txt\r\n");
    // A folder that already ends with "\" gets no second one.
    EXPECT_EQ(NullListToLines("C:\\\0a.txt\0b.txt"s), "C:\\a.txt\r\nC:\\b.txt\r\n");
    EXPECT_EQ(NullListToLines("C:\\x\\one.zip"), "C:\\x\\one.zip\r\n");
    EXPECT_EQ(NextNullItem("C:\\x\\one.zip", 5), "C:\\x\\one.zip");
}

TEST(ZipManagerText, ListItemsToText)
{
    const std::vector<ZipListRow> rows{row("top.txt", "", true), row("a.txt", "docs\\sub", true),
                                       row(std::string(FolderRowText), "docs", true), row("b.txt", "docs", false)};
    EXPECT_EQ(ListItemsToText(rows, true), "top.txt\r\ndocs\\sub\\a.txt\r\ndocs\\\r\n");
    EXPECT_EQ(ListItemsToText(rows, false), "top.txt\r\na.txt\r\ndocs\\\r\n");
    EXPECT_EQ(ListItemsToText({row("a", "", false)}, true), "");
    EXPECT_EQ(ListItemsToText({}, true), "");
}

TEST(ZipManagerText, NumericKeyOnly)
{
    EXPECT_EQ(NumericKeyOnly('0'), '0');
    EXPECT_EQ(NumericKeyOnly('9'), '9');
    EXPECT_EQ(NumericKeyOnly(8), 8);
    EXPECT_EQ(NumericKeyOnly('-'), 0);
    EXPECT_EQ(NumericKeyOnly('.'), 0);
    EXPECT_EQ(NumericKeyOnly('a'), 0);
}

TEST(ZipManagerText, ListedRowColumns)
{
    qm::zip::ListedEntry e;
    e.name = "docs\\sub\\a.txt";
    e.size = 1234;
    e.compressedSize = 99;
    e.attributes = 0x21;
    e.crc = 0xFEDCBA98;
    e.modified = {2026, 3, 7, 14, 5, 9};
    e.method = 18;
    e.encrypted = true;
    ZipListRow r = listedRow(e);
    EXPECT_EQ(r.text(), "a.txt");
    EXPECT_EQ(r.path(), "docs\\sub");
    EXPECT_EQ(r.texts[2], "1234");
    EXPECT_EQ(r.texts[4], "A---R--");
    EXPECT_EQ(r.texts[5], "FEDCBA98");
    EXPECT_EQ(r.texts[6], "3/7/2026 2:05:09 PM");
    EXPECT_EQ(r.texts[10], "18");
    EXPECT_EQ(r.texts[11], "True");
    e.name = "docs\\";
    e.attributes = 0x10;
    e.crc = 0x1F;
    r = listedRow(e);
    EXPECT_EQ(r.text(), "<dir>");
    EXPECT_EQ(r.path(), "docs");
    EXPECT_EQ(r.texts[5], "1F");
    e.name = "top.txt";
    e.attributes = 0x20;
    EXPECT_EQ(listedRow(e).path(), "");
}

TEST(ZipManagerText, KilobyteFields)
{
    EXPECT_EQ(kilobytesText(1536), "1.5");
    EXPECT_EQ(kilobytesText(0), "0");
    EXPECT_EQ(kilobytesText(131072), "128");
    EXPECT_EQ(kilobytesText(1), "0.0009765625");
    EXPECT_EQ(kilobytesToBytes("1.5"), 1536);
    EXPECT_EQ(kilobytesToBytes(""), 0);
    EXPECT_EQ(kilobytesToBytes("2097151"), 2097151LL * 1024);
    EXPECT_EQ(kilobytesToBytes("2097152"), std::nullopt);
    EXPECT_EQ(kilobytesToBytes("99999999999999999999999"), std::nullopt);
}

TEST(FileDialogs, RequestsByKind)
{
    EXPECT_EQ(fileDialogRequest(0)->flags, 4108);
    EXPECT_FALSE(fileDialogRequest(0)->save);
    EXPECT_EQ(fileDialogRequest(1)->flags, 14);
    EXPECT_TRUE(fileDialogRequest(1)->save);
    EXPECT_EQ(fileDialogRequest(1)->title, "New Zip File");
    EXPECT_EQ(fileDialogRequest(5)->filter, "Self-extractor binary (*.bin)|*.bin|All files (*.*)|*.*");
    EXPECT_EQ(fileDialogRequest(6)->flags, 2626060);
    EXPECT_FALSE(fileDialogRequest(2));

    OneAnswer d;
    EXPECT_EQ(ShowFileDialog(d, 3), "");
    EXPECT_TRUE(d.asked.empty());
    d.answer = {"C:\\x\\a.txt", "C:\\x\\b.txt"};
    EXPECT_EQ(ShowFileDialog(d, 6), "C:\\x\0a.txt\0b.txt"s);
    d.answer = {"C:\\x\\a.zip"};
    EXPECT_EQ(ShowFileDialog(d, 0), "C:\\x\\a.zip");
    d.answer = {};
    EXPECT_EQ(ShowFileDialog(d, 0), "");

    std::string folder = "C:\\old";
    EXPECT_FALSE(BrowseForFolder(d, folder, "t"));
    EXPECT_EQ(folder, "C:\\old");
    d.folder = "C:\\new";
    EXPECT_TRUE(BrowseForFolder(d, folder, "t"));
    EXPECT_EQ(folder, "C:\\new");
}

TEST(FileDialogs, FiltersForQt)
{
    EXPECT_EQ(nameFilters(fileDialogRequest(0)->filter),
              (std::vector<std::string>{"Zip files (*.zip)", "Quillmate Archives (*.qmt)",
                                        "Self-extracting zip files (*.exe)", "All files (*)"}));
    EXPECT_EQ(nameFilters("All Files|*.*"), std::vector<std::string>{"All Files (*)"});
    EXPECT_EQ(nameFilters("Pictures|*.png;*.jpg"), std::vector<std::string>{"Pictures (*.png *.jpg)"});
}

TEST(ZipManagerStart, ArchiveArgument)
{
    EXPECT_EQ(archiveFromCommandLine("D:\\backups\\a.zip"), "D:\\backups\\a.zip");
    EXPECT_EQ(archiveFromCommandLine("\\\\SRV\\share\\a.zip"), "\\\\SRV\\share\\a.zip");
    EXPECT_EQ(archiveFromCommandLine("/tmp/a.zip"), "C:\\tmp\\a.zip");
    EXPECT_EQ(archiveFromCommandLine(""), "");
}
