// In-process servers end to end: the sample server library registered by
// comreg, created by ProgID, called early and late bound, unloaded when
// unused, unregistered again; the failures of creation; the in-process
// class table; the debug output.
#include "CountingObject.h"
#include "LateBinding.h"
#include "SampleServer.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Creation.h"
#include "platform/com/DebugOutput.h"
#include "platform/com/Registration.h"
#include "platform/com/TaskMem.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

namespace stdfs = std::filesystem;
using namespace qmtest;
using qm::test::dispidOf;
using qm::test::invoke;
using qm::test::readFile;
namespace reg = qm::registry;

namespace {

const std::string kSampleLibrary = QM_SAMPLE_SERVER;
const std::string kNoEntryLibrary = QM_NO_ENTRY_LIBRARY;

int comreg(const std::vector<std::string>& args, std::string* output = nullptr)
{
    std::vector<std::string> argv{(qm::test::programDir() / "comreg").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return qm::test::runCommand(argv, output);
}

bool loaded(const std::string& library)
{
    void* h = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h)
        dlclose(h);
    return h != nullptr;
}

std::string hive() { return readFile(reg::hiveFile(reg::hkey::ClassesRoot)); }

// A class key of its own whose library is `path`.
void registerClassAt(const CLSID& clsid, const std::string& path)
{
    InprocClass c;
    c.clsid = clsid;
    c.description = "Stray";
    c.modulePath = path;
    ASSERT_EQ(registerInprocClass(c), S_OK);
}

class ServerTest : public ::testing::Test {
protected:
    // Each test has a platform folder of its own, as comreg and the
    // registration store see it.
    void SetUp() override
    {
        platform_.emplace("qm-com");
        env_.emplace("QUILLMATE_PLATFORM_DIR", platform_->str());
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        env_.reset();
        platform_.reset();
    }

    HRESULT create(const std::u16string& progId, ComPtr<ISample>& out)
    {
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
        if (FAILED(hr))
            return hr;
        return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, ISample::iid, out.putVoid());
    }

    std::optional<qm::test::TempDir> platform_;
    std::optional<qm::test::ScopedEnv> env_;
};

} // namespace

TEST_F(ServerTest, ComregWritesTheClassKeysAndTakesThemAway)
{
    std::string output;
    ASSERT_EQ(comreg({kSampleLibrary}, &output), 0) << output;
    EXPECT_NE(output.find("DllRegisterServer 0x00000000"), std::string::npos) << output;
    const std::string text = hive();
    const std::string key = "CLSID\\" + formatGuid(CLSID_Sample);
    for (const std::string& section : std::vector<std::string>{"[QmTest.Sample.1]", "[QmTest.Sample.1\\CLSID]", "[QmTest.Sample\\CurVer]",
                                       "[" + key + "\\InprocServer32]", "[" + key + "\\ProgID]"})
        EXPECT_NE(text.find(section + "\r\n"), std::string::npos) << section << "\n" << text;
    EXPECT_EQ(reg::queryValue(reg::hkey::ClassesRoot, "QmTest.Sample\\CurVer", ""), reg::textValue("QmTest.Sample.1"));
    EXPECT_EQ(reg::queryValue(reg::hkey::ClassesRoot, key + "\\InprocServer32", ""),
              reg::textValue(stdfs::canonical(kSampleLibrary).string()));
    EXPECT_EQ(reg::queryValue(reg::hkey::ClassesRoot, key + "\\InprocServer32", "ThreadingModel"),
              reg::textValue("Apartment"));

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"qmtest.sample", &clsid), S_OK); // through CurVer, without case
    EXPECT_EQ(clsid, CLSID_Sample);
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_Sample, &progId), S_OK);
    EXPECT_EQ(olestrView(progId), u"QmTest.Sample.1");
    CoTaskMemFree(progId);

    ASSERT_EQ(comreg({"-u", kSampleLibrary}, &output), 0) << output;
    EXPECT_FALSE(reg::keyExists(reg::hkey::ClassesRoot, "QmTest.Sample"));
    EXPECT_FALSE(reg::keyExists(reg::hkey::ClassesRoot, "QmTest.Sample.1"));
    EXPECT_FALSE(reg::keyExists(reg::hkey::ClassesRoot, key));
    EXPECT_TRUE(reg::keyExists(reg::hkey::ClassesRoot, "CLSID"));
    EXPECT_EQ(CLSIDFromProgID(u"QmTest.Sample", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(ProgIDFromCLSID(CLSID_Sample, &progId), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(progId, nullptr);

    EXPECT_EQ(comreg({(platform_->path() / "missing.so").string()}), 1);
    EXPECT_EQ(comreg({kNoEntryLibrary}), 1);
    EXPECT_EQ(comreg({}), 1);
}

TEST_F(ServerTest, ObjectIsCreatedByProgIdAndCalledEarlyAndLateBound)
{
    ASSERT_EQ(comreg({kSampleLibrary}), 0);
    ComPtr<ISample> sample;
    ASSERT_EQ(create(u"QmTest.Sample", sample), S_OK);
    ASSERT_TRUE(sample);

    // Early bound, through the interface table.
    LONG difference = 0;
    ASSERT_EQ(sample->Subtract(7, 3, &difference), S_OK);
    EXPECT_EQ(difference, 4);
    Bstr text(u"hello");
    ASSERT_EQ(sample->put_Text(text.get()), S_OK);

    // Late bound: by name, then by DISPID, arguments last first.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(sample.queryInterface(dispatch), S_OK);
    EXPECT_EQ(dispidOf(dispatch.get(), u"text"), DISPID_Text);
    DISPID subtract = dispidOf(dispatch.get(), u"Subtract");
    ASSERT_EQ(subtract, DISPID_Subtract);
    Variant result;
    ASSERT_EQ(invoke(dispatch.get(), subtract, DISPATCH_METHOD, {Variant::fromLong(10), Variant::fromLong(4)}, &result),
              S_OK);
    EXPECT_EQ(result.type(), VT_I4);
    EXPECT_EQ(result.get().lVal, 6);
    ASSERT_EQ(invoke(dispatch.get(), DISPID_Text, DISPATCH_PROPERTYGET, {}, &result), S_OK);
    EXPECT_EQ(utf8FromBstr(result.get().bstrVal), "hello");
    ASSERT_EQ(invoke(dispatch.get(), DISPID_Text, DISPATCH_PROPERTYPUT, {Variant::fromUtf8("bye")}), S_OK);
    Bstr back;
    ASSERT_EQ(sample->get_Text(back.out()), S_OK);
    EXPECT_EQ(back.utf8(), "bye");
    EXPECT_EQ(invoke(dispatch.get(), 99, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ServerTest, UnusedLibraryIsUnloadedOnlyWhenAskedAndNoObjectLives)
{
    ASSERT_EQ(comreg({kSampleLibrary}), 0);
    EXPECT_FALSE(loaded(kSampleLibrary));
    {
        ComPtr<ISample> sample;
        ASSERT_EQ(create(u"QmTest.Sample.1", sample), S_OK);
        EXPECT_TRUE(loaded(kSampleLibrary));
        CoFreeUnusedLibraries();
        EXPECT_TRUE(loaded(kSampleLibrary)); // the object still lives
        LONG d = 0;
        EXPECT_EQ(sample->Subtract(1, 2, &d), S_OK);
        EXPECT_EQ(d, -1);
    }
    EXPECT_TRUE(loaded(kSampleLibrary)); // never by itself
    CoFreeUnusedLibraries();
    EXPECT_FALSE(loaded(kSampleLibrary));

    // Loaded again for the next object.
    ComPtr<ISample> again;
    ASSERT_EQ(create(u"QmTest.Sample", again), S_OK);
    EXPECT_TRUE(loaded(kSampleLibrary));
}

TEST_F(ServerTest, ClassesThatCannotBeMadeGiveTheirCodes)
{
    void* object = &object;
    const CLSID unknown = guid("{11111111-2222-3333-4444-555555555555}");
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IUnknown::iid, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);

    const CLSID missing = guid("{11111111-2222-3333-4444-000000000001}");
    registerClassAt(missing, (platform_->path() / "gone.so").string());
    EXPECT_EQ(CoCreateInstance(missing, nullptr, CLSCTX_ALL, IUnknown::iid, &object), REGDB_E_CLASSNOTREG);

    const CLSID noEntry = guid("{11111111-2222-3333-4444-000000000002}");
    registerClassAt(noEntry, kNoEntryLibrary);
    EXPECT_EQ(CoCreateInstance(noEntry, nullptr, CLSCTX_ALL, IUnknown::iid, &object), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(loaded(kNoEntryLibrary)); // not kept

    registerClassAt(CLSID_NotServed, kSampleLibrary);
    EXPECT_EQ(CoCreateInstance(CLSID_NotServed, nullptr, CLSCTX_ALL, IUnknown::iid, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    // The sample's own answers pass through: no aggregation, no such interface.
    ASSERT_EQ(comreg({kSampleLibrary}), 0);
    qm::test::CountingObject outer;
    EXPECT_EQ(CoCreateInstance(CLSID_Sample, &outer, CLSCTX_ALL, IUnknown::iid, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_Sample, nullptr, CLSCTX_ALL, IClassFactory::iid, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_Sample, nullptr, CLSCTX_LOCAL_SERVER, IUnknown::iid, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_Sample, nullptr, CLSCTX_ALL, IUnknown::iid, nullptr), E_POINTER);
}

namespace {

// A factory that hands out one counting object.
class LocalFactory final : public IClassFactory {
public:
    ULONG refs = 1;
    qm::test::CountingObject made;
    HRESULT QueryInterface(const IID& riid, void** object) override
    {
        if (riid == IUnknown::iid || riid == IClassFactory::iid) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT CreateInstance(IUnknown*, const IID& riid, void** object) override
    {
        return made.QueryInterface(riid, object);
    }
    HRESULT LockServer(bool) override { return S_OK; }
};

} // namespace

TEST_F(ServerTest, ClassTableOfTheProcessComesBeforeTheStore)
{
    ASSERT_EQ(comreg({kSampleLibrary}), 0);
    LocalFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_Sample, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie), S_OK);
    EXPECT_EQ(factory.refs, 2u);

    ComPtr<IDispatch> object;
    ASSERT_EQ(CoCreateInstance(CLSID_Sample, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid, object.putVoid()), S_OK);
    EXPECT_EQ(object.get(), &factory.made);
    EXPECT_FALSE(loaded(kSampleLibrary));
    EXPECT_EQ(factory.refs, 2u); // the factory was let go after use

    ASSERT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.refs, 1u);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
    ComPtr<ISample> fromStore;
    ASSERT_EQ(CoCreateInstance(CLSID_Sample, nullptr, CLSCTX_INPROC_SERVER, ISample::iid, fromStore.putVoid()), S_OK);
    EXPECT_TRUE(loaded(kSampleLibrary));
}

TEST_F(ServerTest, FailedRegistrationLeavesTheKeysThatWereThere)
{
    InprocClass c;
    c.clsid = CLSID_Sample;
    c.description = "Sample Class";
    c.progId = "QmTest.Sample.1";
    c.modulePath = "/old/libsample.so";
    ASSERT_EQ(registerInprocClass(c), S_OK);
    const std::string before = hive();

    c.modulePath = "/new/" + std::string(300, 'x') + ".so";
    c.versionIndependentProgId = "QmTest.Sample";
    {
        qm::test::FileSizeLimit limit(before.size() + 10);
        EXPECT_TRUE(FAILED(registerInprocClass(c)));
    }
    EXPECT_EQ(hive(), before);

    // A name the store cannot hold fails the whole batch before anything is written.
    reg::Batch batch;
    addUnregistration(batch, c);
    batch.setValue("QmTest.Sample.1", "bad=name", reg::textValue("x"));
    EXPECT_EQ(applyToClassesRoot(batch), E_INVALIDARG);
    EXPECT_EQ(hive(), before);
}

TEST_F(ServerTest, DebugOutputGoesToTheSinkOrToStandardErrorWhenAsked)
{
    ASSERT_EQ(comreg({kSampleLibrary}), 0);
    std::string captured;
    DebugSink previous = setDebugSink([&](std::string_view text) { captured += text; });
    {
        ComPtr<ISample> sample;
        ASSERT_EQ(create(u"QmTest.Sample", sample), S_OK);
    }
    setDebugSink(previous);
    // Made at 1, asked for ISample (2), the factory's own reference let go (1),
    // the client's released (0).
    EXPECT_EQ(captured, "Ref = 1, Sample\r\nRef = 2, Sample\r\nRef = 1, Sample\r\nRef = 0, Sample\r\n");

    {
        qm::test::ScopedEnv quiet("QUILLMATE_DEBUG_COM", std::nullopt);
        testing::internal::CaptureStderr();
        OutputDebugStringA("not shown\r\n");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    qm::test::ScopedEnv on("QUILLMATE_DEBUG_COM", "1");
    testing::internal::CaptureStderr();
    OutputDebugStringA("shown\r\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "shown\r\n");
}
