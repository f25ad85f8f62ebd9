// The scheduler object and its task collection over the real task
// scheduler: listing, opening, creating and deleting by name, the sticky
// ErrorCode, the collection and its enumerator, the reference trace, and
// tasks that outlive their scheduler.
#include "CronoletTest.h"

#include "platform/com/DebugOutput.h"
#include "platform/com/EnumVariant.h"

using namespace qmtest;
using com::E_FAIL;
using com::S_OK;

namespace {

std::string nameOf(const ComPtr<ScheduledTask>& t) { return textOf(t, &ScheduledTask::get_Name); }

} // namespace

TEST_F(CronoletTest, WithoutTaskSchedulerEveryMemberLeavesMinus50AndNothing)
{
    writeJob("Kept");
    dropTaskScheduler();
    ComPtr<IScheduler> s = makeScheduler();
    ASSERT_TRUE(s);
    EXPECT_EQ(errorOf(s), -50);

    Variant v;
    EXPECT_EQ(s->get_Tasks(v.out()), S_OK);
    EXPECT_EQ(v.type(), com::VT_DISPATCH);
    EXPECT_EQ(v.get().pdispVal, nullptr);
    Bstr computer(u"x");
    EXPECT_EQ(s->get_TargetComputer(computer.out()), S_OK);
    EXPECT_TRUE(computer.isNull());
    EXPECT_EQ(s->put_TargetComputer(Bstr(u"").get()), S_OK);
    EXPECT_EQ(s->CreateNewTask(Bstr(u"New").get(), v.out()), S_OK);
    EXPECT_EQ(v.get().pdispVal, nullptr);
    EXPECT_EQ(s->DeleteTask(Bstr(u"Kept").get()), S_OK);
    EXPECT_EQ(s->get_Task(Bstr(u"Kept").get(), v.out()), S_OK);
    EXPECT_EQ(v.get().pdispVal, nullptr);
    EXPECT_EQ(errorOf(s), -50);
    EXPECT_TRUE(std::filesystem::exists(tasks() / "Kept.job"));
    EXPECT_FALSE(std::filesystem::exists(tasks() / "New.job"));
}

TEST_F(CronoletTest, TaskCollectionIsRefilledInFolderOrderAndCountsItemsFromOne)
{
    ComPtr<IScheduler> s = makeScheduler();
    ComPtr<ScheduledTasks> first = listTasks(s);
    ASSERT_TRUE(first);
    EXPECT_EQ(countOf(first), 0);
    Variant item;
    EXPECT_EQ(first->get_Item(1, item.out()), E_FAIL);

    // Seven names: more than one batch of the enumerator.
    for (const char* name : {"g", "B", "e", "a", "F", "c", "D"})
        writeJob(name);
    ComPtr<ScheduledTasks> second = listTasks(s);
    EXPECT_EQ(second.get(), first.get()); // the same collection, listed anew
    ASSERT_EQ(countOf(second), 7);
    std::string names;
    for (LONG i = 1; i <= 7; ++i)
        names += nameOf(itemOf<ScheduledTask>(second, i)) + " ";
    EXPECT_EQ(names, "a.job B.job c.job D.job e.job F.job g.job ");
    EXPECT_EQ(nameOf(itemOf<ScheduledTask>(second, 0)), "a.job");
    EXPECT_EQ(nameOf(itemOf<ScheduledTask>(second, -5)), "a.job");
    EXPECT_EQ(second->get_Item(8, item.out()), E_FAIL);
    EXPECT_EQ(second->get_Item(1, nullptr), com::E_POINTER);
    EXPECT_EQ(errorOf(s), 0);

    // A task made now is listed only by the next call.
    ASSERT_TRUE(newTask(s, u"h"));
    EXPECT_EQ(countOf(second), 7);
    EXPECT_EQ(countOf(listTasks(s)), 8);
}

TEST_F(CronoletTest, EnumeratorWalksTheCollectionAndKeepsItAlive)
{
    for (const char* name : {"a", "b", "c"})
        writeJob(name);
    ComPtr<IScheduler> s = makeScheduler();
    ComPtr<com::IEnumVARIANT> e;
    {
        ComPtr<IUnknown> unknown;
        ASSERT_EQ(listTasks(s)->get__NewEnum(unknown.put()), S_OK);
        ASSERT_EQ(unknown.queryInterface(e), S_OK);
    }
    com::VARIANT items[2];
    com::ULONG fetched = 0;
    ASSERT_EQ(e->Next(2, items, &fetched), S_OK);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(nameOf(as<ScheduledTask>(Variant::attach(items[1]))), "b.job");
    com::VariantClear(&items[0]);

    ComPtr<com::IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(clone.put()), S_OK);
    EXPECT_EQ(e->Next(2, items, &fetched), com::S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(nameOf(as<ScheduledTask>(Variant::attach(items[0]))), "c.job");
    EXPECT_EQ(clone->Skip(2), com::S_FALSE);
    ASSERT_EQ(clone->Reset(), S_OK);
    ASSERT_EQ(clone->Next(1, items, nullptr), S_OK);
    EXPECT_EQ(nameOf(as<ScheduledTask>(Variant::attach(items[0]))), "a.job");

    // A refill while enumerators live only changes what they see next.
    std::filesystem::remove(tasks() / "b.job");
    listTasks(s);
    ASSERT_EQ(clone->Next(2, items, &fetched), com::S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(nameOf(as<ScheduledTask>(Variant::attach(items[0]))), "c.job");
}

TEST_F(CronoletTest, FailedListingKeepsTheTasksBeforeTheFailingName)
{
    writeJob("a");
    writeJob("b");
    ComPtr<IScheduler> s = makeScheduler();
    ComPtr<ScheduledTasks> held = listTasks(s);
    qm::test::writeFile(tasks() / "c.job", "not a job\r\n");
    writeJob("d");
    Variant v;
    s->get_Tasks(v.out());
    EXPECT_EQ(v.type(), com::VT_DISPATCH);
    EXPECT_EQ(v.get().pdispVal, nullptr);
    EXPECT_EQ(errorOf(s), -3);
    EXPECT_EQ(countOf(held), 2);
}

TEST_F(CronoletTest, SchedulerErrorCodeStaysUntilTheNextFailure)
{
    ComPtr<IScheduler> s = makeScheduler();
    ASSERT_TRUE(newTask(s, u"Night"));
    const std::string before = qm::test::readFile(tasks() / "Night.job");

    s->DeleteTask(Bstr(u"Nobody").get());
    EXPECT_EQ(errorOf(s), -40);
    EXPECT_EQ(countOf(listTasks(s)), 1);
    EXPECT_EQ(errorOf(s), -40); // a success does not clear it

    EXPECT_FALSE(newTask(s, u"night"));
    EXPECT_EQ(errorOf(s), -39);
    EXPECT_EQ(qm::test::readFile(tasks() / "Night.job"), before);

    Bstr target;
    s->get_TargetComputer(target.out());
    EXPECT_EQ(target.utf8().rfind("\\\\", 0), 0u);
    s->put_TargetComputer(nullptr);
    EXPECT_EQ(errorOf(s), -21);
    Bstr again;
    s->get_TargetComputer(again.out());
    EXPECT_EQ(again.utf8(), target.utf8());
    s->put_TargetComputer(Bstr(u"").get()); // this computer
    EXPECT_EQ(errorOf(s), -21);

    s->DeleteTask(Bstr(u"Night.job").get());
    EXPECT_FALSE(std::filesystem::exists(tasks() / "Night.job"));
}

TEST_F(CronoletTest, TaskOutlivesItsSchedulerAndTracesItsReferences)
{
    qm::tasksched::Job job;
    job.triggers.push_back(qm::tasksched::TASK_TRIGGER{});
    job.triggers[0].TriggerType = qm::tasksched::TASK_EVENT_TRIGGER_AT_LOGON;
    writeJob("Life", job);

    std::string trace;
    com::DebugSink previous = com::setDebugSink([&](std::string_view t) { trace += t; });
    ComPtr<ScheduledTask> task;
    {
        ComPtr<IScheduler> s = makeScheduler();
        Variant v;
        s->get_Task(Bstr(u"Life").get(), v.out());
        task = as<ScheduledTask>(v);
    }
    LONG status = 0;
    task->get_Status(&status);
    EXPECT_EQ(status, 9);
    EXPECT_EQ(errorOf(task), 0);
    {
        Variant triggers, trigger;
        task->get_Triggers(triggers.out());
        as<Triggers>(triggers)->get_Item(1, trigger.out());
    }
    task.reset();
    com::setDebugSink(previous);
    // The task: its VARIANT (1), the client's QueryInterface (2), the VARIANT
    // cleared (1). Its trigger collection: the task's cache (1), the trigger
    // in it (1), the collection's VARIANT (2), asked for Triggers (3), Item's
    // copy of the trigger (2), let go (2); both VARIANTs cleared. The task
    // released (0) empties and drops its collection.
    EXPECT_EQ(trace,
              "Ref = 1, Task\r\nRef = 2, Task\r\nRef = 1, Task\r\n"
              "Ref = 1, Task\r\nRef = 1, Trigger\r\nRef = 2, Task\r\nRef = 3, Task\r\nRef = 2, Trigger\r\n"
              "Ref = 2, Task\r\nRef = 1, Trigger\r\nRef = 1, Task\r\n"
              "Ref = 0, Task\r\nRef = 0, Trigger\r\nRef = 0, Task\r\n");
}
