#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow main;
  main.setWindowTitle("Ombrel");
  main.resize(625, 399);
  main.setMinimumSize(480, 300);
  main.show();
  return app.exec();
}
