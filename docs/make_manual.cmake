# Turns the Markdown manual into one HTML page: cmake -DMARKDOWN=... -DINPUT=... -DOUTPUT=... -P
execute_process(
  COMMAND ${MARKDOWN} -e utf-8 -o html -x extra -x toc ${INPUT}
  OUTPUT_VARIABLE body
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${MARKDOWN} could not convert ${INPUT}")
endif()
file(WRITE ${OUTPUT} [=[<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>Sorvane 使用说明</title>
<style>
body { max-width: 50em; margin: 2em auto; padding: 0 1em; line-height: 1.6; font-family: sans-serif; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: 0.3em 0.6em; text-align: left; vertical-align: top; }
code, pre { background: #f3f3f3; }
pre { padding: 0.5em; }
</style>
</head>
<body>
]=])
file(APPEND ${OUTPUT} "${body}")
file(APPEND ${OUTPUT} "</body>\n</html>\n")
