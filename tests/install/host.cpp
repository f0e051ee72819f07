// A host as small as a host can be: place the control, set and read properties by member and
// by name, ask the ZIP library for its version.
#include <quorvex6/control.h>

#include <cstdio>

int main() {
    auto control = quorvex6::Quorvex6::CreateNew();
    control->put_ArcMode(1);
    const quorvex6::Variant level = control->Invoke(u"LevelLZX", quorvex6::InvokeKind::Get, {});
    std::printf("ArcMode %d LevelLZX %d Version %d\n", control->get_ArcMode(), level.ToI4(),
                control->get_Version());
}
