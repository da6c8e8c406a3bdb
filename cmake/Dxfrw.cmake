# Builds libdxfrw as the static PIC target `dxfrw` from a repaired copy of its sources.
#
# scripts/setup-deps unpacks the sources into .deps/libdxfrw; they are never part of the
# repository. At configure time every source file is copied into the build folder and the
# repairs below are applied to the copy by exact text replacement. A repair whose text is not
# found fails the configure step, so a changed upstream copy is noticed instead of silently
# built unrepaired. Files are only rewritten when their repaired text changes.

set(DXFRW_SOURCE_DIR ${PROJECT_SOURCE_DIR}/.deps/libdxfrw/src)
set(DXFRW_COPY_DIR ${CMAKE_BINARY_DIR}/dxfrw/src)

if(NOT EXISTS ${DXFRW_SOURCE_DIR}/libdxfrw.h)
  message(FATAL_ERROR "libdxfrw sources are missing in ${DXFRW_SOURCE_DIR}: run scripts/setup-deps")
endif()

# Registers one repair: in file <rel>, the text <old> becomes <new>.
set(DXFRW_REPAIR_COUNT 0)
macro(dxfrw_repair rel old new)
  set(DXFRW_REPAIR_${DXFRW_REPAIR_COUNT}_FILE "${rel}")
  set(DXFRW_REPAIR_${DXFRW_REPAIR_COUNT}_OLD "${old}")
  set(DXFRW_REPAIR_${DXFRW_REPAIR_COUNT}_NEW "${new}")
  math(EXPR DXFRW_REPAIR_COUNT "${DXFRW_REPAIR_COUNT} + 1")
endmacro()

# A 0xFF byte in a double-byte code page indexes one past the lead-byte table.
dxfrw_repair(intern/drw_textcodec.cpp
  "int end = leadTable[c-0x80];"
  "int end = c < 0xFF ? leadTable[c-0x80] : sta;")
# The CP936 lead-byte table ends lead byte 0xB8 ten entries early, so B8F5..B8FE read as "?".
dxfrw_repair(intern/drw_cptable936.h
  "    9224, //57#DBCS LEAD BYTE 0xB9"
  "    9234, //57#DBCS LEAD BYTE 0xB9")
# A HATCH whose edge type (72) precedes its first loop (92) reads the unset polyline flag.
dxfrw_repair(drw_entities.h
  "        deflines = doubleflag = 0;\n        clearEntities();"
  "        deflines = doubleflag = 0;\n        ispol = false;\n        clearEntities();")
# Values beyond an enumeration are undefined once loaded (every entity copy loads them): 0.
dxfrw_repair(drw_entities.cpp
  "space = static_cast<DRW::Space>(reader->getInt32());"
  "{ int v = reader->getInt32(); space = v == 1 ? DRW::PaperSpace : DRW::ModelSpace; }")
dxfrw_repair(drw_entities.cpp
  "alignH = (HAlign)reader->getInt32();"
  "{ int v = reader->getInt32(); alignH = v >= HLeft && v <= HFit ? (HAlign)v : HLeft; }")
dxfrw_repair(drw_entities.cpp
  "alignV = (VAlign)reader->getInt32();"
  "{ int v = reader->getInt32(); alignV = v >= VBaseLine && v <= VTop ? (VAlign)v : VBaseLine; }")
# A header variable given twice replaces the first, which was never freed.
dxfrw_repair(drw_header.cpp
  "        vars[name]=curr;\n        break;\n    case 1:"
  "        delete vars[name];\n        vars[name]=curr;\n        break;\n    case 1:")
# A count read from the file only sizes a reservation: a count beyond the bytes left in the
# file cannot be true, so it reserves nothing (a reservation of gigabytes would abort).
dxfrw_repair(intern/drw_reserve.h
  "        return true;\n    }\n}"
  "        return true;\n    }\n\n    template <typename T>\n    bool reserve(std::vector<T> &list, const int size, long long remainingBytes)\n    {\n        if (size > 0 && size > remainingBytes) return true;\n        return reserve(list, size);\n    }\n}")
dxfrw_repair(intern/dxfreader.h
  "#include \"drw_textcodec.h\""
  "#include <fstream>\n#include \"drw_textcodec.h\"")
dxfrw_repair(intern/dxfreader.h
  "    std::string getCodePage(){ return decoder.getCodePage();}"
  "    std::string getCodePage(){ return decoder.getCodePage();}\n    long long remainingBytes() {\n        std::streampos here = filestr->tellg();\n        if (here < 0) return 0;\n        filestr->seekg(0, std::ios::end);\n        std::streampos end = filestr->tellg();\n        filestr->seekg(here);\n        return end < here ? 0 : static_cast<long long>(end - here);\n    }")
dxfrw_repair(drw_entities.cpp
  "return DRW::reserve( vertlist, vertexnum);"
  "return DRW::reserve( vertlist, vertexnum, reader->remainingBytes());")
dxfrw_repair(drw_entities.cpp
  "return DRW::reserve( looplist, loopsnum);"
  "return DRW::reserve( looplist, loopsnum, reader->remainingBytes());")
dxfrw_repair(drw_objects.cpp
  "if (!DRW::reserve( path, size)) {"
  "if (!DRW::reserve( path, size, reader->remainingBytes())) {")

# Fields the import reads start with the format's own default when their group code is
# missing (angles 0 and 360 degrees, ratio 1, text height 0 so the entity gives nothing),
# else 0, instead of whatever the memory held: one reading of a file gives one drawing.
dxfrw_repair(drw_entities.h
  "        eType = DRW::CIRCLE;\n"
  "        eType = DRW::CIRCLE;\n        radious = 0;\n")
dxfrw_repair(drw_entities.h
  "        eType = DRW::ARC;\n"
  "        eType = DRW::ARC;\n        staangle = 0;\n        endangle = M_PIx2;\n")
dxfrw_repair(drw_entities.h
  "        eType = DRW::ELLIPSE;\n"
  "        eType = DRW::ELLIPSE;\n        ratio = 1;\n        staparam = 0;\n        endparam = M_PIx2;\n")
dxfrw_repair(drw_entities.h
  "        eType = DRW::TEXT;\n"
  "        eType = DRW::TEXT;\n        height = 0;\n")
dxfrw_repair(drw_entities.h
  "        flags = nknots = ncontrol = nfit = 0;\n"
  "        flags = nknots = ncontrol = nfit = 0;\n        degree = 0;\n")

file(GLOB_RECURSE dxfrw_files RELATIVE ${DXFRW_SOURCE_DIR} CONFIGURE_DEPENDS
     ${DXFRW_SOURCE_DIR}/*.cpp ${DXFRW_SOURCE_DIR}/*.h)
set(dxfrw_sources)
foreach(rel IN LISTS dxfrw_files)
  file(READ ${DXFRW_SOURCE_DIR}/${rel} text)
  math(EXPR last "${DXFRW_REPAIR_COUNT} - 1")
  foreach(i RANGE ${last})
    if(DXFRW_REPAIR_${i}_FILE STREQUAL rel)
      string(FIND "${text}" "${DXFRW_REPAIR_${i}_OLD}" at)
      if(at EQUAL -1)
        message(FATAL_ERROR "libdxfrw repair not applicable in ${rel}: ${DXFRW_REPAIR_${i}_OLD}")
      endif()
      string(REPLACE "${DXFRW_REPAIR_${i}_OLD}" "${DXFRW_REPAIR_${i}_NEW}" text "${text}")
    endif()
  endforeach()
  file(WRITE ${DXFRW_COPY_DIR}/${rel}.tmp "${text}")
  file(COPY_FILE ${DXFRW_COPY_DIR}/${rel}.tmp ${DXFRW_COPY_DIR}/${rel} ONLY_IF_DIFFERENT)
  file(REMOVE ${DXFRW_COPY_DIR}/${rel}.tmp)
  if(rel MATCHES "\\.cpp$")
    list(APPEND dxfrw_sources ${DXFRW_COPY_DIR}/${rel})
  endif()
endforeach()

add_library(dxfrw STATIC ${dxfrw_sources})
# C++20: under C++17 the undefined-behaviour checker stops in the library's 16-bit binary read.
target_compile_features(dxfrw PUBLIC cxx_std_20)
set_target_properties(dxfrw PROPERTIES CXX_EXTENSIONS OFF POSITION_INDEPENDENT_CODE ON)
target_compile_options(dxfrw PRIVATE -w)
target_include_directories(dxfrw SYSTEM PUBLIC ${DXFRW_COPY_DIR})
