#include "host/slot_check.h"

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/exports.h"

#if TESSOID_ILP32

extern "C" int32_t tessoid_checked_call(const void* fn, const void* args, uint32_t bytes,
                                        int32_t* leftOnStack);

namespace host {

using namespace tessoid;

namespace {

// Arguments laid out as the caller pushes them: first argument lowest.
class Args {
  public:
    template <typename T> Args& operator<<(const T& value) {
        static_assert(sizeof(T) % 4 == 0);
        const auto* p = reinterpret_cast<const uint8_t*>(&value);
        bytes_.insert(bytes_.end(), p, p + sizeof(T));
        return *this;
    }
    const uint8_t* data() const { return bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }

  private:
    std::vector<uint8_t> bytes_;
};

struct Checker {
    std::ostream& out;
    int broken = 0;

    // `calleeCleans`: the standard convention (slots); false for the cdecl exports.
    int32_t call(const char* name, const void* fn, const Args& args, bool calleeCleans = true) {
        if (!fn) {
            out << "slot " << name << ": empty\n";
            ++broken;
            return 0;
        }
        int32_t left = 0;
        int32_t result = tessoid_checked_call(fn, args.data(), args.size(), &left);
        const int32_t expected = calleeCleans ? 0 : static_cast<int32_t>(args.size());
        if (left == expected) {
            out << "slot " << name << ": " << args.size() << " argument bytes, "
                << (calleeCleans ? "removed by the callee" : "left to the caller") << "\n";
        } else {
            out << "slot " << name << ": BROKEN, " << left << " of " << args.size()
                << " argument bytes left on the stack\n";
            ++broken;
        }
        return result;
    }
};

template <typename F> const void* fn(F f) {
    return reinterpret_cast<const void*>(f);
}

int32_t TESSOID_STDCALL ignoreText(int32_t, const char*) {
    return 0;
}

std::vector<uint8_t> savedBytes;
int32_t TESSOID_STDCALL keepBytes(int32_t, void* buffer, int32_t bytes) {
    auto* p = static_cast<uint8_t*>(buffer);
    savedBytes.insert(savedBytes.end(), p, p + bytes);
    return bytes;
}
size_t readPos = 0;
int32_t TESSOID_STDCALL giveBytes(int32_t, void* buffer, int32_t bytes) {
    size_t n = std::min<size_t>(static_cast<size_t>(bytes), savedBytes.size() - readPos);
    std::memcpy(buffer, savedBytes.data() + readPos, n);
    std::memset(static_cast<uint8_t*>(buffer) + n, 0, static_cast<size_t>(bytes) - n);
    readPos += n;
    return static_cast<int32_t>(n);
}

} // namespace

int CheckSlotConventions(PluginHost& host, std::ostream& out) {
    Checker c{out};
    ObjectTypeInterface& type = host.objectType();
    HostInterface& services = host.services();
    void* library = host.libraryExport("GetDLLInfo");
    void* interfaces = host.libraryExport("GetInterfaceFunctions");

    PluginInfo* info = nullptr;
    c.call("GetDLLInfo", library, Args() << &info, false);
    c.call("GetInterfaceFunctions", interfaces, Args() << int32_t{9} << &info, false);

    c.call("notification 644", fn(services.notify644), Args() << 1 << 2);
    c.call("notification 648", fn(services.notify648), Args() << 1 << 2 << 3);
    c.call("notification 652", fn(services.notify652), Args() << 1 << 2 << 3 << 4);
    c.call("notification 656", fn(services.notify656), Args() << 1);
    c.call("notification 660", fn(services.notify660), Args() << 1 << 2 << 3);
    c.call("notification 664", fn(services.notify664), Args() << 1 << 2 << 3);
    c.call("notification 668", fn(services.notify668), Args() << 1 << 2);
    c.call("notification 672", fn(services.notify672), Args() << 1 << 2 << 3);
    c.call("notification 676", fn(services.notify676), Args() << 1 << 2);
    c.call("notification 680", fn(services.notify680), Args() << 1);

    // A cancelled file dialog: the command returns without reading anything.
    const std::string chosen = host.chosenFile;
    host.chosenFile.clear();
    c.call("import command", fn(host.importer().importCommand), Args());
    host.chosenFile = chosen;

    // Objects made by the type itself, without the dialog, for the object slots.
    const uint32_t flags = type.typeFlags;
    type.typeFlags = flags | TYPE_FLAG_NO_DIALOG;
    void* object = reinterpret_cast<void*>(
        c.call("Create", fn(type.create), Args() << static_cast<void*>(&type)));
    void* copy = reinterpret_cast<void*>(
        c.call("Create", fn(type.create), Args() << static_cast<void*>(&type)));
    type.typeFlags = flags;
    if (!object || !copy) {
        out << "slot Create: made no object\n";
        return c.broken + 1;
    }
    c.call("TakePendingMesh", fn(type.takePendingMesh), Args() << object);
    c.call("TakePendingMesh", fn(type.takePendingMesh), Args() << copy);
    uint32_t masks[2] = {0, 0};
    int32_t auxOut = 0;
    ValueDescriptor descriptor{};
    c.call("GetMasks", fn(type.getMasks), Args() << object << &masks[0] << &masks[1]);
    c.call("AuxQuery", fn(type.auxQuery), Args() << object << 1 << 2 << 3 << &auxOut << 5);
    c.call("OptionalQuery", fn(type.optionalQuery), Args() << object << 1 << 2);
    c.call("Probe", fn(type.probe), Args() << object << 1);
    c.call("UpdateFlags", fn(type.updateFlags), Args() << object << ~0 << 0);
    c.call("SceneQuery", fn(type.sceneQuery), Args() << object << 0 << 0 << fn(ignoreText));
    c.call("EnumVerticesAndEdges", fn(type.enumVerticesAndEdges),
           Args() << object << nullptr << nullptr << nullptr);
    c.call("EnumEdges", fn(type.enumEdges), Args() << object << nullptr << nullptr);
    c.call("BuildMesh", fn(type.buildMesh), Args() << object << 0 << nullptr);
    c.call("GetValueInfo", fn(type.getValueInfo), Args() << object << 1003 << &descriptor);
    c.call("ValueChanged", fn(type.valueChanged), Args() << object << 1003 << 15.0);
    c.call("SavedSize", fn(type.savedSize), Args() << object);
    savedBytes.clear();
    c.call("Save", fn(type.save), Args() << object << fn(keepBytes) << 0);
    readPos = 0;
    c.call("Load", fn(type.load), Args() << copy << fn(giveBytes) << 0 << 0);
    c.call("Copy", fn(type.copy), Args() << copy << object);
    c.call("WriteScene", fn(type.writeScene),
           Args() << object << 0 << static_cast<const char*>("Checked") << fn(ignoreText));
    c.call("MarkDeclared", fn(type.markDeclared), Args() << object << 0 << fn(ignoreText));
    c.call("MarkDeclaredAgain", fn(type.markDeclaredAgain),
           Args() << object << 0 << fn(ignoreText));
    void* page =
        reinterpret_cast<void*>(c.call("GetPropertyPage", fn(type.getPropertyPage), Args()));
    c.call("ReleasePropertyPage", fn(type.releasePropertyPage), Args() << page);
    c.call("Destroy", fn(type.destroy), Args() << copy);
    c.call("Destroy", fn(type.destroy), Args() << object);
    return c.broken;
}

} // namespace host

#else

namespace host {

// x86-64 has one calling convention, and the compiler holds every slot to it.
int CheckSlotConventions(PluginHost&, std::ostream& out) {
    out << "slots: x86-64 has one calling convention, so there is nothing to check\n";
    return 0;
}

} // namespace host

#endif
