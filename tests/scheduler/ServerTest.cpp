// The library as a server: the keys its registration writes and removes,
// creation through CurVer, when it may be unloaded, its class factory and
// aggregation, what its objects answer to QueryInterface, and every
// interface's members by name through IDispatch.
#include "CronoletTest.h"
#include "LateBinding.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/Server.h"
#include "platform/registry/Registry.h"

#include <dlfcn.h>

#include <algorithm>

using namespace qmtest;
using com::S_FALSE;
using com::S_OK;
namespace reg = qm::registry;

namespace {

std::string replaced(std::string text, const std::string& what, const std::string& with)
{
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// An export of the loaded library.
template <class Fn>
Fn exportOf(const char* name)
{
    void* handle = dlopen(kCronolet.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle)
        return nullptr;
    auto fn = reinterpret_cast<Fn>(dlsym(handle, name));
    dlclose(handle);
    return fn;
}

HRESULT canUnloadNow() { return exportOf<com::DllCanUnloadNowFn>("DllCanUnloadNow")(); }

// An outer object that counts the references its inner object delegates.
struct Outer final : IUnknown {
    com::ULONG refs = 1;
    HRESULT QueryInterface(const IID&, void** object) override
    {
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++refs; }
    com::ULONG Release() override { return --refs; }
};

} // namespace

TEST_F(CronoletTest, RegistrationWritesTheClassProgIdsAndTypeLibraryAndTakesOnlyThemAway)
{
    const std::string module = std::filesystem::canonical(kCronolet).string();
    const std::string folder = std::filesystem::path(module).parent_path().string();
    std::string hive = qm::test::readFile(reg::hiveFile(reg::hkey::ClassesRoot));
    hive = replaced(replaced(hive, module, "%MODULE%"), folder, "%FOLDER%");
    EXPECT_EQ(hive, qm::test::readFile(std::filesystem::path(QM_CRONOLET_DATA) / "registration.ini"));

    com::CLSID clsid{};
    ASSERT_EQ(com::CLSIDFromProgID(u"Cronolet.Scheduler", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Cronolet);
    ASSERT_TRUE(makeScheduler());

    // Another class, registered again over a stale key of ours.
    com::InprocClass other;
    other.clsid = com::guid("{11111111-2222-3333-4444-555555555555}");
    other.description = "Other";
    other.modulePath = "/x.so";
    ASSERT_EQ(com::registerInprocClass(other), S_OK);
    const std::string key = "CLSID\\" + com::formatGuid(CLSID_Cronolet);
    reg::setValue(reg::hkey::ClassesRoot, key + "\\Stale", "", reg::textValue("x"));
    ASSERT_EQ(comreg({kCronolet}), 0);
    EXPECT_FALSE(reg::keyExists(reg::hkey::ClassesRoot, key + "\\Stale"));

    ASSERT_EQ(comreg({"-u", kCronolet}), 0);
    for (const char* gone : {"Cronolet.Scheduler", "Cronolet.Scheduler.1", "TypeLib\\{1901D7BA-39F9-4E5B-B516-8BE46F929AE7}"})
        EXPECT_FALSE(reg::keyExists(reg::hkey::ClassesRoot, gone)) << gone;
    EXPECT_FALSE(reg::keyExists(reg::hkey::ClassesRoot, key));
    EXPECT_TRUE(reg::keyExists(reg::hkey::ClassesRoot, "CLSID\\" + com::formatGuid(other.clsid)));
    EXPECT_TRUE(reg::keyExists(reg::hkey::ClassesRoot, "TypeLib"));
    EXPECT_EQ(com::CLSIDFromProgID(u"Cronolet.Scheduler", &clsid), com::CO_E_CLASSSTRING);
}

TEST_F(CronoletTest, LibraryMayBeUnloadedOnlyWhenNoObjectOrLockLives)
{
    ComPtr<ScheduledTask> task;
    {
        ComPtr<IScheduler> s = makeScheduler();
        task = newTask(s, u"Keep");
    }
    ASSERT_TRUE(task);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(statusOf(task), 6); // not scheduled: no trigger
    EXPECT_EQ(errorOf(task), 0);
    task.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);

    auto getClass = exportOf<com::DllGetClassObjectFn>("DllGetClassObject");
    ComPtr<com::IClassFactory> factory;
    EXPECT_EQ(getClass(com::guid("{11111111-2222-3333-4444-555555555555}"), com::IClassFactory::iid, factory.putVoid()),
              com::CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(getClass(CLSID_Cronolet, com::IClassFactory::iid, factory.putVoid()), S_OK);
    factory->LockServer(false); // without a lock: nothing to undo
    EXPECT_EQ(canUnloadNow(), S_OK);
    factory->LockServer(true);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    factory->LockServer(false);
    EXPECT_EQ(canUnloadNow(), S_OK);

    // Aggregated: the inner IUnknown only, the rest delegates to the outer object.
    Outer outer;
    ComPtr<IScheduler> direct;
    EXPECT_EQ(factory->CreateInstance(&outer, IScheduler::iid, direct.putVoid()), com::CLASS_E_NOAGGREGATION);
    IUnknown* inner = nullptr;
    ASSERT_EQ(factory->CreateInstance(&outer, IUnknown::iid, reinterpret_cast<void**>(&inner)), S_OK);
    IScheduler* scheduler = nullptr;
    ASSERT_EQ(inner->QueryInterface(IScheduler::iid, reinterpret_cast<void**>(&scheduler)), S_OK);
    EXPECT_EQ(outer.refs, 2u);
    scheduler->Release();
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(CronoletTest, ObjectsAnswerTheirOwnInterfaceAndIDispatchOnly)
{
    ComPtr<ScheduledTask> task = newTask(makeScheduler(), u"Q");
    ComPtr<Trigger> trigger;
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(task.queryInterface(trigger), com::E_NOINTERFACE);
    EXPECT_FALSE(trigger);
    EXPECT_EQ(task.queryInterface(unknown), S_OK);
    ComPtr<com::IDispatch> dispatch;
    EXPECT_EQ(task.queryInterface(dispatch), S_OK);
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(task.get()));
    ComPtr<com::IClassFactory> factory;
    EXPECT_EQ(task.queryInterface(factory), com::E_NOINTERFACE);
}

namespace {

// The members of an interface as its tables name them: DISPID, name, and
// which of get (G), put (P) and method (M) it has.
struct Member {
    com::DISPID id;
    const char16_t* name;
    const char* kinds;
};

const std::vector<Member> kScheduler{{1, u"Tasks", "G"},        {2, u"TargetComputer", "GP"}, {3, u"CreateNewTask", "M"},
                                     {4, u"DeleteTask", "M"},   {5, u"ErrorCode", "G"},       {6, u"Task", "G"}};
const std::vector<Member> kCollection{{-4, u"_NewEnum", "G"}, {0, u"Item", "G"}, {1, u"Count", "G"}};
const std::vector<Member> kTask{
    {1, u"Name", "G"},           {2, u"ApplicationName", "GP"}, {3, u"WorkingDirectory", "GP"},
    {4, u"MaxRunTime", "GP"},    {5, u"Priority", "GP"},        {6, u"Parameters", "GP"},
    {7, u"Flags", "GP"},         {8, u"Username", "G"},         {9, u"SetAccountInformation", "M"},
    {10, u"SaveTask", "M"},      {11, u"Status", "G"},          {12, u"LastExitCode", "G"},
    {13, u"Comment", "GP"},      {14, u"Run", "M"},             {15, u"Creator", "GP"},
    {16, u"StopTask", "M"},      {17, u"LastRunTime", "G"},     {18, u"IdleWaitTime", "GP"},
    {19, u"MaxIdleWaitTime", "GP"}, {20, u"EditTask", "M"},     {21, u"NextRunTime", "G"},
    {22, u"Triggers", "G"},      {23, u"CreateNewTrigger", "M"}, {24, u"DeleteTrigger", "M"},
    {25, u"AssociatedFileName", "G"}, {26, u"TaskChanged", "G"}, {27, u"ErrorCode", "G"}};
const std::vector<Member> kTrigger{
    {1, u"TriggerString", "G"},   {2, u"SetTrigger", "M"},       {3, u"BeginYear", "GP"},
    {4, u"BeginMonth", "GP"},     {5, u"BeginDay", "GP"},        {6, u"EndYear", "GP"},
    {7, u"EndMonth", "GP"},       {8, u"EndDay", "GP"},          {9, u"StartHour", "GP"},
    {10, u"StartMinute", "GP"},   {11, u"DurationInMinutes", "GP"}, {12, u"IntervalInMinutes", "GP"},
    {13, u"Flags", "GP"},         {14, u"TriggerType", "GP"},    {15, u"DaysInterval", "GP"},
    {17, u"WhichWeek", "GP"},     {19, u"Days", "GP"},           {20, u"Months", "GP"},
    {21, u"ErrorCode", "G"},      {22, u"WeeksInterval", "GP"},  {23, u"DaysOfTheWeek", "GP"},
    {24, u"Index", "G"}};

// Each member is found by name at its DISPID, and each kind is there or not
// (a call with no arguments reaches a member that has the kind: it runs or
// finds too few arguments, but is never "member not found").
void expectMembers(com::IDispatch* object, const std::vector<Member>& members)
{
    using qm::test::invoke;
    for (const Member& m : members) {
        SCOPED_TRACE(com::utf8FromUtf16(m.name));
        EXPECT_EQ(qm::test::dispidOf(object, m.name), m.id);
        const std::string kinds = m.kinds;
        const std::pair<char, com::WORD> probes[] = {
            {'G', com::DISPATCH_PROPERTYGET}, {'P', com::DISPATCH_PROPERTYPUT}, {'M', com::DISPATCH_METHOD}};
        for (auto [kind, flags] : probes) {
            Variant result;
            const bool found = invoke(object, m.id, flags, {}, &result) != com::DISP_E_MEMBERNOTFOUND;
            EXPECT_EQ(found, kinds.find(kind) != std::string::npos) << kind;
        }
    }
    EXPECT_EQ(qm::test::dispidOf(object, u"NoSuchMember"), com::DISPID_UNKNOWN);
    for (com::DISPID absent : {16, 18, 28}) {
        const bool inTable = std::any_of(members.begin(), members.end(), [&](const Member& m) { return m.id == absent; });
        if (!inTable) {
            EXPECT_EQ(invoke(object, absent, com::DISPATCH_PROPERTYGET | com::DISPATCH_METHOD, {}),
                      com::DISP_E_MEMBERNOTFOUND);
        }
    }
}

} // namespace

TEST_F(CronoletTest, EveryInterfaceAnswersItsMembersByNameAndDispid)
{
    ComPtr<IScheduler> s = makeScheduler();
    ComPtr<ScheduledTask> task = newTask(s, u"Late");
    task->CreateNewTrigger(Variant().out());
    Variant tasks, triggers, trigger;
    s->get_Tasks(tasks.out());
    task->get_Triggers(triggers.out());
    as<Triggers>(triggers)->get_Item(1, trigger.out());

    expectMembers(s.get(), kScheduler);
    expectMembers(tasks.get().pdispVal, kCollection);
    expectMembers(task.get(), kTask);
    expectMembers(triggers.get().pdispVal, kCollection);
    expectMembers(trigger.get().pdispVal, kTrigger);

    // Late bound as early: the same task through Item and Name.
    Variant item, name;
    ASSERT_EQ(qm::test::invoke(tasks.get().pdispVal, 0, com::DISPATCH_PROPERTYGET, {Variant::fromLong(1)}, &item), S_OK);
    ASSERT_EQ(qm::test::invoke(item.get().pdispVal, 1, com::DISPATCH_PROPERTYGET, {}, &name), S_OK);
    EXPECT_EQ(com::utf8FromBstr(name.get().bstrVal), "Late.job");
}
