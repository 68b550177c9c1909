// main() of the program's tests: the program's own application, which keeps
// what a handler throws from crossing the event loop.
#include "app/event_guard.h"
#include "gui_test_main.h"

int main(int argc, char** argv)
{
    return lumo::test::RunGuiTests<lumo::GuardedApplication>(argc, argv);
}
