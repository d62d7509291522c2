// The COM server itself: its exports, the factory, the enumerator and the
// counts that decide when Explorer may unload the library.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/shell/shell_server.h"

namespace {

constexpr CLSID kServerClass = {0x57ab55cb, 0xb27d, 0x4d3b, {0x9e, 0x6e, 0x84, 0xcf, 0xc3, 0x39, 0x3b, 0x92}};
constexpr CLSID kOtherClass = {0x57ab55cb, 0xb27d, 0x4d3b, {0x9e, 0x6e, 0x84, 0xcf, 0xc3, 0x39, 0x3b, 0x93}};

using ServerExports = ShellServer;

// Catches a factory handed out for a foreign class or interface, a stale
// out-pointer left behind on failure, and a null out-pointer dereferenced.
TEST_F(ServerExports, DllGetClassObjectServesOnlyItsClass) {
  struct Case {
    const CLSID& clsid;
    const IID& iid;
    HRESULT result;
  } cases[] = {
      {kServerClass, IID_IClassFactory, S_OK},
      {kServerClass, IID_IUnknown, S_OK},
      {kServerClass, IID_IExplorerCommand, E_NOINTERFACE},
      {kOtherClass, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
      {CLSID_NULL, IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(GetClassObject(cases[i].clsid, cases[i].iid, &object), cases[i].result);
    EXPECT_EQ(object == nullptr, FAILED(cases[i].result));
    if (object != nullptr) static_cast<IUnknown*>(object)->Release();
    EXPECT_EQ(GetClassObject(cases[i].clsid, cases[i].iid, nullptr), E_POINTER);
  }
}

// Catches aggregation accepted, an object leaked (or its out-pointer left set)
// when the interface is refused, and a factory that counts references it does not have.
TEST_F(ServerExports, FactoryMakesTheRootCommandAndNothingElse) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetClassObject(kServerClass, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  EXPECT_EQ(factory->AddRef(), 2u);
  EXPECT_EQ(factory->Release(), 1u);

  struct Case {
    bool outer;
    const IID& iid;
    HRESULT result;
  } cases[] = {
      {false, IID_IExplorerCommand, S_OK},
      {false, IID_IUnknown, S_OK},
      {false, IID_IEnumExplorerCommand, E_NOINTERFACE},
      {false, IID_IClassFactory, E_NOINTERFACE},
      {true, IID_IExplorerCommand, CLASS_E_NOAGGREGATION},
      {true, IID_IUnknown, CLASS_E_NOAGGREGATION},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(factory->CreateInstance(cases[i].outer ? factory.Get() : nullptr, cases[i].iid, &object), cases[i].result);
    EXPECT_EQ(object == nullptr, FAILED(cases[i].result));
    EXPECT_EQ(CanUnloadNow(), object != nullptr ? S_FALSE : S_OK);
    if (object != nullptr) {
      EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 0u);
    }
    EXPECT_EQ(factory->CreateInstance(nullptr, cases[i].iid, nullptr), E_POINTER);
  }

  void* self = nullptr;
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, &self), S_OK);
  EXPECT_EQ(self, factory.Get());
  self = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(factory->QueryInterface(IID_IExplorerCommand, &self), E_NOINTERFACE);
  EXPECT_EQ(self, nullptr);
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

// Catches an unload allowed while Explorer still holds an object of ours or a
// lock, and counts that do not come back to zero.
TEST_F(ServerExports, DllCanUnloadNowWaitsForEveryObjectAndLock) {
  EXPECT_EQ(CanUnloadNow(), S_OK);
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetClassObject(kServerClass, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);  // the static factory does not count

  ComPtr<IExplorerCommand> root = CreateRoot();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  ComPtr<IEnumExplorerCommand> tools;
  ASSERT_EQ(root->EnumSubCommands(&tools), S_OK);
  root.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  ComPtr<IExplorerCommand> tool;
  ASSERT_EQ(tools->Next(1, &tool, nullptr), S_OK);
  tools.Reset();
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  tool.Reset();
  EXPECT_EQ(CanUnloadNow(), S_OK);

  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

// Catches interfaces answered that the objects do not implement, and the
// fixed answers of the parts Explorer asks but we do not use.
TEST_F(ServerExports, CommandsAnswerTheirOwnInterfacesOnly) {
  ComPtr<IExplorerCommand> root = CreateRoot();
  ComPtr<IEnumExplorerCommand> tools;
  ASSERT_EQ(root->EnumSubCommands(&tools), S_OK);
  ComPtr<IExplorerCommand> tool;
  ASSERT_EQ(tools->Next(1, &tool, nullptr), S_OK);

  for (IExplorerCommand* command : {root.Get(), tool.Get()}) {
    void* object = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(command->QueryInterface(IID_IEnumExplorerCommand, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(command->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, command);
    command->Release();
    EXPECT_EQ(command->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    LPWSTR tip = reinterpret_cast<LPWSTR>(0x1234);
    EXPECT_EQ(command->GetToolTip(nullptr, &tip), E_NOTIMPL);
    EXPECT_EQ(tip, nullptr);
    GUID name = kServerClass;
    EXPECT_EQ(command->GetCanonicalName(&name), S_OK);
    EXPECT_TRUE(IsEqualGUID(name, GUID_NULL));
  }
  void* object = reinterpret_cast<void*>(0x1234);
  EXPECT_EQ(tools->QueryInterface(IID_IExplorerCommand, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(tools->QueryInterface(IID_IEnumExplorerCommand, &object), S_OK);
  static_cast<IUnknown*>(object)->Release();

  EXPCMDFLAGS flags = 0;
  EXPECT_EQ(root->GetFlags(&flags), S_OK);
  EXPECT_EQ(flags, static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS));
  EXPECT_EQ(tool->GetFlags(&flags), S_OK);
  EXPECT_EQ(flags, static_cast<EXPCMDFLAGS>(ECF_DEFAULT));
  EXPECT_EQ(root->Invoke(nullptr, nullptr), E_NOTIMPL);
  IEnumExplorerCommand* nested = reinterpret_cast<IEnumExplorerCommand*>(0x1234);
  EXPECT_EQ(tool->EnumSubCommands(&nested), E_NOTIMPL);
  EXPECT_EQ(nested, nullptr);
  EXPECT_EQ(root->EnumSubCommands(nullptr), E_POINTER);
}

// The tool ids, read back from the English titles the commands carry.
std::vector<int> ToolIds(IExplorerCommand** commands, ULONG count) {
  static const wchar_t* const kTitles[] = {L"Who Is Using This File?", L"Get Back an Older Version",
                                           L"Check a File's Fingerprint", L"Unlock File or Folder",
                                           L"Repair File or Folder Permissions", L"Force Delete File or Folder",
                                           L"Move to Kestrix"};
  std::vector<int> ids;
  for (ULONG i = 0; i < count; ++i) {
    LPWSTR title = nullptr;
    commands[i]->GetTitle(nullptr, &title);
    const std::wstring text = TakeText(title);
    int id = -1;
    for (int t = 0; t < 7; ++t) {
      if (text == kTitles[t]) id = t;
    }
    ids.push_back(id);
    commands[i]->Release();
  }
  return ids;
}

std::vector<int> Fetch(IEnumExplorerCommand* tools, ULONG celt, HRESULT expected) {
  std::vector<IExplorerCommand*> slots(celt + 1, nullptr);
  ULONG fetched = 999;
  EXPECT_EQ(tools->Next(celt, slots.data(), &fetched), expected);
  EXPECT_LE(fetched, celt);
  EXPECT_EQ(slots[celt], nullptr) << "wrote past celt";
  return ToolIds(slots.data(), fetched > celt ? 0 : fetched);
}

// Catches tools lost, repeated or out of order at batch boundaries, a wrong
// S_OK/S_FALSE, a Skip that overflows back to the start, and a Reset that does not.
TEST_F(ServerExports, EnumeratorYieldsSevenToolsInOrderWhateverTheBatches) {
  using Ids = std::vector<int>;
  ComPtr<IExplorerCommand> root = CreateRoot();
  ComPtr<IEnumExplorerCommand> tools;
  ASSERT_EQ(root->EnumSubCommands(&tools), S_OK);

  for (int i = 0; i < 7; ++i) EXPECT_EQ(Fetch(tools.Get(), 1, S_OK), Ids{i});
  EXPECT_EQ(Fetch(tools.Get(), 1, S_FALSE), Ids{});

  ASSERT_EQ(tools->Reset(), S_OK);
  EXPECT_EQ(Fetch(tools.Get(), 3, S_OK), (Ids{0, 1, 2}));
  EXPECT_EQ(Fetch(tools.Get(), 3, S_OK), (Ids{3, 4, 5}));
  EXPECT_EQ(Fetch(tools.Get(), 3, S_FALSE), Ids{6});
  EXPECT_EQ(Fetch(tools.Get(), 3, S_FALSE), Ids{});

  ASSERT_EQ(tools->Reset(), S_OK);
  EXPECT_EQ(Fetch(tools.Get(), 10, S_FALSE), (Ids{0, 1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(tools->Reset(), S_OK);
  EXPECT_EQ(Fetch(tools.Get(), 0, S_OK), Ids{});

  struct Case {
    ULONG before;  // tools taken first
    ULONG skip;
    HRESULT result;
    Ids after;
  } skips[] = {
      {0, 7, S_OK, {}},
      {0, 8, S_FALSE, {}},
      {0, 3, S_OK, {3, 4, 5, 6}},
      {2, 5, S_OK, {}},
      {2, 6, S_FALSE, {}},
      {1, 0xFFFFFFFF, S_FALSE, {}},
      {7, 0, S_OK, {}},
      {7, 1, S_FALSE, {}},
  };
  for (const Case& c : skips) {
    SCOPED_TRACE(testing::Message() << "take " << c.before << ", skip " << c.skip);
    ASSERT_EQ(tools->Reset(), S_OK);
    Fetch(tools.Get(), c.before, S_OK);
    EXPECT_EQ(tools->Skip(c.skip), c.result);
    EXPECT_EQ(Fetch(tools.Get(), 10, S_FALSE), c.after);
  }

  IEnumExplorerCommand* clone = reinterpret_cast<IEnumExplorerCommand*>(0x1234);
  EXPECT_EQ(tools->Clone(&clone), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
  EXPECT_EQ(tools->Next(1, nullptr, nullptr), E_POINTER);
}

// Catches a reference count that is not atomic (lost increments destroy an
// object still in use, or leave one alive) and an object destroyed twice.
TEST_F(ServerExports, ReferenceCountsHoldUnderManyThreads) {
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetClassObject(kServerClass, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  ComPtr<IExplorerCommand> root = CreateRoot();
  ComPtr<IEnumExplorerCommand> tools;
  ASSERT_EQ(root->EnumSubCommands(&tools), S_OK);
  ComPtr<IExplorerCommand> tool;
  ASSERT_EQ(tools->Next(1, &tool, nullptr), S_OK);

  constexpr int kThreads = 8;
  constexpr int kRounds = 20000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        root->AddRef();
        tool->AddRef();
        tools->AddRef();
        IUnknown* extra = nullptr;
        root->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&extra));
        extra->Release();
        tools->Release();
        tool->Release();
        root->Release();
        // Objects born and gone on every thread move the object count too.
        if (i % 64 == t) {
          IExplorerCommand* made = nullptr;
          factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(&made));
          IEnumExplorerCommand* enumerator = nullptr;
          made->EnumSubCommands(&enumerator);
          IExplorerCommand* all[7] = {};
          ULONG fetched = 0;
          enumerator->Next(7, all, &fetched);
          for (ULONG k = 0; k < fetched; ++k) all[k]->Release();
          enumerator->Release();
          made->Release();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(root->AddRef(), 2u);
  EXPECT_EQ(root.Get()->Release(), 1u);
  EXPECT_EQ(tool.Detach()->Release(), 0u);
  EXPECT_EQ(tools.Detach()->Release(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_FALSE);
  EXPECT_EQ(root.Detach()->Release(), 0u);
  EXPECT_EQ(CanUnloadNow(), S_OK);
}

}  // namespace
