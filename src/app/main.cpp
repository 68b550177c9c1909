#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    std::puts("lumo-sygnalizacja: the options form is not built yet.");
    return 0;
}
