#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName("Form1");
    window.setWindowTitle("Quillmate 3.0");
    window.resize(800, 500);
    window.show();
    return app.exec();
}
