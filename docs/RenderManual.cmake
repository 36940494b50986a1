cmake_minimum_required(VERSION 3.25)
# cmake -DPANDOC=<pandoc> -DGROFF=<groff> -DINPUT=<manual.md> -DOUTPUT=<pdf> -DVERSION=<x.y.z.w>
#     -P RenderManual.cmake
#
# Markdown to groff ms with pandoc, then ms to PDF with groff's PDF device (tables through
# tbl, UTF-8 through preconv). Times is one of the PDF viewer's own fonts, so nothing is
# embedded; pandoc's default family would need fonts only ghostscript ships. The PDF is
# written beside its final name and renamed over it only when complete, so a failed run
# never leaves a broken manual that looks up to date.
foreach(var PANDOC GROFF INPUT OUTPUT VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RenderManual.cmake: ${var} not given")
  endif()
endforeach()

set(partial ${OUTPUT}.partial)
execute_process(
  COMMAND ${PANDOC} --from=markdown --to=ms --standalone -V fontfamily=T -M "date=Version ${VERSION}" ${INPUT}
  COMMAND ${GROFF} -K utf8 -t -ms -Tpdf -dpaper=a4 -P-pa4
  OUTPUT_FILE ${partial}
  RESULTS_VARIABLE results)
foreach(result ${results})
  if(NOT result EQUAL 0)
    file(REMOVE ${partial})
    message(FATAL_ERROR "Rendering ${INPUT} failed (pandoc, groff: ${results})")
  endif()
endforeach()
file(READ ${partial} head LIMIT 5 HEX)
if(NOT head STREQUAL "255044462d")  # "%PDF-"
  file(REMOVE ${partial})
  message(FATAL_ERROR "Rendering ${INPUT} produced no PDF")
endif()
file(RENAME ${partial} ${OUTPUT})
