// The reference of the start-up benchmark: the least a Qt program with a window does.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(640, 480);
    window.show();
    return application.exec();
}
