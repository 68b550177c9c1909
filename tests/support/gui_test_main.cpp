// main() of the GUI test executables.
#include "gui_test_main.h"

#include <QApplication>

int main(int argc, char** argv)
{
    return lumo::test::RunGuiTests<QApplication>(argc, argv);
}
