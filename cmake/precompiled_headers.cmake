# Precompiled headers: the test framework for the test programs, the Qt
# headers most window sources include for the Qt libraries, the JSON
# library for tqctl. They only save compile time (a third of a clean
# build); -DTQ_PCH=OFF builds the same program without them, and the
# fuzzing build (core only) never uses them, so a missing include still
# shows there.
option(TQ_PCH "Precompile the headers most sources include" ON)

set(TQ_PCH_STD <algorithm> <chrono> <cmath> <functional> <map> <memory> <optional> <string>
    <thread> <vector>)
set(TQ_PCH_GTEST <gtest/gtest.h>)
set(TQ_PCH_JSON <nlohmann/json.hpp>)
set(TQ_PCH_QTGUI <QDir> <QFile> <QImage> <QPainter> <QString> <QStringList>)
set(TQ_PCH_QTWIDGETS <QAction> <QApplication> <QBoxLayout> <QCheckBox> <QComboBox>
    <QGridLayout> <QGroupBox> <QLabel> <QLineEdit> <QMessageBox> <QPushButton> <QTimer>
    <QWidget>)

# tq_precompile(TARGET [GTEST] [JSON] [QTGUI] [QTWIDGETS])
function(tq_precompile target)
  if(NOT TQ_PCH OR TQ_FUZZ OR NOT TARGET ${target})
    return()
  endif()
  set(headers ${TQ_PCH_STD})
  foreach(part ${ARGN})
    list(APPEND headers ${TQ_PCH_${part}})
  endforeach()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
