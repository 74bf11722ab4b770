<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Messages</name>
    <message>
        <source>XML 文档格式错误（%1，位置 %2）</source>
        <translation>Malformed XML document (%1, at byte %2)</translation>
    </message>
    <message>
        <source>XML 文档没有根元素</source>
        <translation>The XML document has no root element</translation>
    </message>
    <message>
        <source>复合文档无法读取</source>
        <translation>The compound document cannot be read</translation>
    </message>
    <message>
        <source>格式错误</source>
        <translation>malformed</translation>
    </message>
    <message>
        <source>复合文档已损坏，无法读取（%1）</source>
        <translation>The compound document is damaged and cannot be read (%1)</translation>
    </message>
    <message>
        <source>复合文档中没有 %1 流</source>
        <translation>The compound document has no %1 stream</translation>
    </message>
    <message>
        <source>复合文档中的 %1 流过大</source>
        <translation>The %1 stream of the compound document is too large</translation>
    </message>
    <message>
        <source>复合文档中的 %1 流已损坏，无法读完</source>
        <translation>The %1 stream of the compound document is damaged and cannot be read to its end</translation>
    </message>
    <message>
        <source>ZIP 压缩包已损坏或不完整（文件过短）</source>
        <translation>The ZIP archive is damaged or incomplete (the file is too short)</translation>
    </message>
    <message>
        <source>无法读取 ZIP 压缩包</source>
        <translation>Cannot read the ZIP archive</translation>
    </message>
    <message>
        <source>ZIP 压缩包已损坏或不完整（%1）</source>
        <translation>The ZIP archive is damaged or incomplete (%1)</translation>
    </message>
    <message>
        <source>ZIP 压缩包的成员数目过多（%1）</source>
        <translation>The ZIP archive has too many members (%1)</translation>
    </message>
    <message>
        <source>压缩包中没有这个成员</source>
        <translation>The archive has no such member</translation>
    </message>
    <message>
        <source>压缩包成员解压后过大或超出记录的大小（已损坏或疑似压缩炸弹），已拒绝</source>
        <translation>The archive member is too large once unpacked, or larger than its recorded size (damaged, or a suspected zip bomb); refused</translation>
    </message>
    <message>
        <source>无法读取压缩包成员（%1）</source>
        <translation>Cannot read the archive member (%1)</translation>
    </message>
    <message>
        <source>压缩包成员已损坏（%1）</source>
        <translation>The archive member is damaged (%1)</translation>
    </message>
    <message>
        <source>找不到繁简转换的配置文件，请安装 OpenCC 的数据文件</source>
        <translation>The configuration of the Traditional/Simplified conversion is missing; install OpenCC's data files</translation>
    </message>
    <message>
        <source>无法读取繁简转换的配置: %1</source>
        <translation>Cannot read the configuration of the Traditional/Simplified conversion: %1</translation>
    </message>
    <message>
        <source>繁简转换失败: %1</source>
        <translation>The Traditional/Simplified conversion failed: %1</translation>
    </message>
    <message>
        <source>数据文件 %1 不存在或无法读取</source>
        <translation>the data file %1 does not exist or cannot be read</translation>
    </message>
    <message>
        <source>数据文件格式错误</source>
        <translation>a data file is malformed</translation>
    </message>
    <message>
        <source>文字不是有效的 UTF-8</source>
        <translation>the text is not valid UTF-8</translation>
    </message>
    <message>
        <source>转换库出了意外的错误</source>
        <translation>an unexpected error in the conversion library</translation>
    </message>
    <message>
        <source>输出文件就是源文件本身，转换会覆盖源文件，已跳过</source>
        <translation>The output file is the source file itself, which the conversion would overwrite; skipped</translation>
    </message>
    <message>
        <source>无法创建输出文件夹: %1</source>
        <translation>Cannot create the output folder: %1</translation>
    </message>
    <message>
        <source>正在转换 %1 ...</source>
        <translation>Converting %1 ...</translation>
    </message>
    <message>
        <source>文档太大，内存不足，无法转换</source>
        <translation>The document is too large: not enough memory to convert it</translation>
    </message>
    <message>
        <source>不是文本或网页文件（含有二进制数据）</source>
        <translation>Not a text or web page file (it holds binary data)</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>没有要合并的章节</source>
        <translation>No chapters to join</translation>
    </message>
    <message>
        <source>没有一章能够转换，没有生成书%1</source>
        <translation>Not one chapter could be converted; no book was made%1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>书名不能为空，不能是 . 或 ..，也不能含有 /</source>
        <translation>The book's name must not be empty, . or .., nor contain /</translation>
    </message>
    <message>
        <source>书的文件会覆盖一个章节的源文件，没有写入</source>
        <translation>The book's file would overwrite the source file of a chapter; not written</translation>
    </message>
    <message>
        <source>无法创建输出文件: 同名的文件夹已存在</source>
        <translation>Cannot create the output file: a folder of that name exists</translation>
    </message>
    <message>
        <source>书太大，内存不足，无法合并</source>
        <translation>The book is too large: not enough memory to join it</translation>
    </message>
    <message>
        <source>文件名是 RTF 文档，但内容不是（开头没有 {\rtf），无法读取</source>
        <translation>The name says RTF document, but the content is not one (it does not begin with {\rtf); cannot read it</translation>
    </message>
    <message>
        <source>OpenDocument 文档的正文无法读取：%1</source>
        <translation>The text of the OpenDocument document cannot be read: %1</translation>
    </message>
    <message>
        <source>OpenDocument 文档已损坏，无法读取：%1</source>
        <translation>The OpenDocument document is damaged and cannot be read: %1</translation>
    </message>
    <message>
        <source>这是一个 ZIP 压缩包，但不是 OpenDocument 文本文档，无法读取</source>
        <translation>This is a ZIP archive, but no OpenDocument text document; cannot read it</translation>
    </message>
    <message>
        <source>另有 %1 处无法读取</source>
        <translation>%1 more could not be read</translation>
    </message>
    <message>
        <source>无法读取 EPUB 的包文件：%1</source>
        <translation>Cannot read the package file of the EPUB: %1</translation>
    </message>
    <message>
        <source>EPUB 的包文件格式错误：%1</source>
        <translation>The package file of the EPUB is malformed: %1</translation>
    </message>
    <message>
        <source>目录中的章节不存在：%1</source>
        <translation>A chapter in the contents does not exist: %1</translation>
    </message>
    <message>
        <source>EPUB 的阅读顺序中没有一个存在的章节</source>
        <translation>The reading order of the EPUB names no chapter that exists</translation>
    </message>
    <message>
        <source>EPUB 的阅读顺序是空的，没有可读的章节</source>
        <translation>The reading order of the EPUB is empty: no chapter to read</translation>
    </message>
    <message>
        <source>EPUB 中没有一个章节可以读取：%1</source>
        <translation>Not one chapter of the EPUB can be read: %1</translation>
    </message>
    <message>
        <source>电子书中缺少这个文件</source>
        <translation>The e-book lacks this file</translation>
    </message>
    <message>
        <source>EPUB 电子书已损坏或不完整：%1</source>
        <translation>The EPUB e-book is damaged or incomplete: %1</translation>
    </message>
    <message>
        <source>这本 EPUB 电子书的内容已加密（受 DRM 保护），无法读取</source>
        <translation>The content of this EPUB e-book is encrypted (DRM-protected); cannot read it</translation>
    </message>
    <message>
        <source>EPUB 电子书中找不到包文件（content.opf）</source>
        <translation>The EPUB e-book has no package file (content.opf)</translation>
    </message>
    <message>
        <source>这是一个 ZIP 压缩包，但不是 EPUB 电子书、Word 或 OpenDocument 文档，无法读取</source>
        <translation>This is a ZIP archive, but no EPUB e-book, Word or OpenDocument document; cannot read it</translation>
    </message>
    <message>
        <source>这是一个 PDF 文档，无法读取</source>
        <translation>This is a PDF document; cannot read it</translation>
    </message>
    <message>
        <source>这是一个 Office 97–2003 格式的复合文档，但不是 Word 文档，无法读取</source>
        <translation>This is an Office 97–2003 compound document, but no Word document; cannot read it</translation>
    </message>
    <message>
        <source>这是一个图片文件，不是文本或网页，无法读取</source>
        <translation>This is an image, not text or a web page; cannot read it</translation>
    </message>
    <message>
        <source>这是一个压缩包（RAR、7z、gzip 等），无法读取，请先解压</source>
        <translation>This is a compressed archive (RAR, 7z, gzip, ...); cannot read it, unpack it first</translation>
    </message>
    <message>
        <source>这是一个可执行程序，不是文本或网页，无法读取</source>
        <translation>This is an executable program, not text or a web page; cannot read it</translation>
    </message>
    <message>
        <source>不是 Word 文档（文件头不对）</source>
        <translation>Not a Word document (wrong file header)</translation>
    </message>
    <message>
        <source>这个 Word 文档已加密，无法读取；请先在字处理程序中去掉密码</source>
        <translation>This Word document is encrypted and cannot be read; remove its password in a word processor first</translation>
    </message>
    <message>
        <source>这是 Word 97 以前的文档格式，无法读取</source>
        <translation>This is a document format older than Word 97; cannot read it</translation>
    </message>
    <message>
        <source>Word 文档的文件信息块不完整</source>
        <translation>The file information block of the Word document is incomplete</translation>
    </message>
    <message>
        <source>Word 文档的文本索引（piece table）已损坏</source>
        <translation>The text index (piece table) of the Word document is damaged</translation>
    </message>
    <message>
        <source>复合文档中没有 Word 正文（可能是 Excel 或 PowerPoint 文件，或者文件已损坏），无法读取</source>
        <translation>The compound document holds no Word text (an Excel or PowerPoint file perhaps, or a damaged file); cannot read it</translation>
    </message>
    <message>
        <source>保存的网页中嵌套的部分过多，不像是一个正常的网页文件</source>
        <translation>The saved page nests too many parts; it does not look like a normal web page file</translation>
    </message>
    <message>
        <source>保存的网页中的部分超过 %1 个，其余部分未读取</source>
        <translation>The saved page has more than %1 parts; the rest were not read</translation>
    </message>
    <message>
        <source>保存的网页文件已损坏：无法读取其 MIME 结构</source>
        <translation>The saved page file is damaged: its MIME structure cannot be read</translation>
    </message>
    <message>
        <source>保存的网页文件中没有 HTML 页面</source>
        <translation>The saved page file holds no HTML page</translation>
    </message>
    <message>
        <source>保存的网页中的页面是空的，文件可能不完整</source>
        <translation>The page in the saved file is empty; the file may be incomplete</translation>
    </message>
    <message>
        <source>框架页面不在文件中：%1</source>
        <translation>The page of a frame is not in the file: %1</translation>
    </message>
    <message>
        <source>CHM 帮助文件中没有可以读取的页面</source>
        <translation>The CHM help file has no page that can be read</translation>
    </message>
    <message>
        <source>%1: 页面解压后过大，已跳过</source>
        <translation>%1: the page is too large once unpacked; skipped</translation>
    </message>
    <message>
        <source>%1: 页面数据已损坏或不完整</source>
        <translation>%1: the data of the page is damaged or incomplete</translation>
    </message>
    <message>
        <source>CHM 帮助文件已损坏或不完整</source>
        <translation>The CHM help file is damaged or incomplete</translation>
    </message>
    <message>
        <source>CHM 帮助文件的目录或压缩信息已损坏，无法读取</source>
        <translation>The directory or compression data of the CHM help file is damaged; cannot read it</translation>
    </message>
    <message>
        <source>无法为 CHM 帮助文件分配内存</source>
        <translation>Cannot allocate memory for the CHM help file</translation>
    </message>
    <message>
        <source>CHM 帮助文件已损坏或不完整，无法打开</source>
        <translation>The CHM help file is damaged or incomplete and cannot be opened</translation>
    </message>
    <message>
        <source>Word 文档的正文无法读取：%1</source>
        <translation>The text of the Word document cannot be read: %1</translation>
    </message>
    <message>
        <source>Word 文档已损坏，无法读取：%1</source>
        <translation>The Word document is damaged and cannot be read: %1</translation>
    </message>
    <message>
        <source>这是一个 ZIP 压缩包，但其中没有 Word 文档的正文，无法读取</source>
        <translation>This is a ZIP archive, but it holds no Word document text; cannot read it</translation>
    </message>
    <message>
        <source>与 %1 的输出文件相同（%2），为了不覆盖它，没有转换</source>
        <translation>Same output file as %1 (%2); not converted, so as not to overwrite it</translation>
    </message>
    <message>
        <source>输出文件 %1 是本次转换的另一个源文件 %2，为了不覆盖它，没有转换</source>
        <translation>The output file %1 is another source file of this run, %2; not converted, so as not to overwrite it</translation>
    </message>
    <message>
        <source>输出文件 %1 已存在，已跳过</source>
        <translation>The output file %1 exists; skipped</translation>
    </message>
    <message>
        <source>设置的名称或值含有无法保存的字符（换行、“]”“=”或开头的“;”“[”）</source>
        <translation>A setting's name or value holds a character that cannot be saved (a line break, "]", "=", or ";" or "[" at its start)</translation>
    </message>
    <message>
        <source>设置的名称或值含有代码页 936 无法表示的字符，未能保存</source>
        <translation>A setting's name or value holds a character code page 936 cannot represent; not saved</translation>
    </message>
    <message>
        <source>设置文件夹不存在</source>
        <translation>The settings folder does not exist</translation>
    </message>
    <message>
        <source>设置文件夹不属于当前用户，为安全起见不写入</source>
        <translation>The settings folder does not belong to the current user; not written, for safety</translation>
    </message>
    <message>
        <source>其他用户可以写入设置文件夹，为安全起见不写入</source>
        <translation>Other users can write into the settings folder; not written, for safety</translation>
    </message>
    <message>
        <source>磁盘空间不足，文件没有写完</source>
        <translation>The disk is full; the file was not written to its end</translation>
    </message>
    <message>
        <source>无法写入: 同名的文件夹已存在</source>
        <translation>Cannot write: a folder of that name exists</translation>
    </message>
    <message>
        <source>无法写入: 同名的不是普通文件（设备、管道或套接字）</source>
        <translation>Cannot write: what has that name is no regular file (a device, pipe or socket)</translation>
    </message>
    <message>
        <source>无法写入: %1</source>
        <translation>Cannot write: %1</translation>
    </message>
    <message>
        <source>无法创建文件: %1</source>
        <translation>Cannot create the file: %1</translation>
    </message>
    <message>
        <source>写入文件时出错: %1</source>
        <translation>Error writing the file: %1</translation>
    </message>
    <message>
        <source>无法替换文件: %1</source>
        <translation>Cannot replace the file: %1</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>无法读取: %1</source>
        <translation>Cannot read: %1</translation>
    </message>
    <message>
        <source>这是一个文件夹，不是文件</source>
        <translation>This is a folder, not a file</translation>
    </message>
    <message>
        <source>不是普通文件（设备、管道或套接字），无法读取</source>
        <translation>Not a regular file (a device, pipe or socket); cannot read it</translation>
    </message>
    <message>
        <source>没有权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>不允许这样操作</source>
        <translation>operation not permitted</translation>
    </message>
    <message>
        <source>文件或文件夹不存在</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>路径中有一项不是文件夹</source>
        <translation>a name on the path is not a folder</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>已经存在</source>
        <translation>it exists already</translation>
    </message>
    <message>
        <source>文件系统是只读的</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation>the disk quota is exceeded</translation>
    </message>
    <message>
        <source>输入输出出错</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>名字太长</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>符号链接的层次太多</source>
        <translation>too many levels of symbolic links</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>设备或资源正忙</source>
        <translation>the device or resource is busy</translation>
    </message>
    <message>
        <source>不能跨文件系统移动</source>
        <translation>cannot move across file systems</translation>
    </message>
    <message>
        <source>参数无效</source>
        <translation>invalid argument</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>文件正被执行，不能写入</source>
        <translation>the file is being executed and cannot be written</translation>
    </message>
    <message>
        <source>没有这个设备</source>
        <translation>no such device</translation>
    </message>
    <message>
        <source>资源暂时不可用</source>
        <translation>the resource is temporarily unavailable</translation>
    </message>
    <message>
        <source>被信号中断</source>
        <translation>interrupted by a signal</translation>
    </message>
    <message>
        <source>文件夹不是空的</source>
        <translation>the folder is not empty</translation>
    </message>
    <message>
        <source>网络文件的句柄已失效</source>
        <translation>the network file handle is stale</translation>
    </message>
    <message>
        <source>系统错误（错误号 %1）</source>
        <translation>system error (error number %1)</translation>
    </message>
    <message>
        <source>不是 ZIP 压缩包</source>
        <translation>not a ZIP archive</translation>
    </message>
    <message>
        <source>压缩包的目录前后不一致</source>
        <translation>the archive's directory is inconsistent</translation>
    </message>
    <message>
        <source>校验和不符</source>
        <translation>the checksum does not match</translation>
    </message>
    <message>
        <source>压缩的数据已损坏</source>
        <translation>the compressed data is damaged</translation>
    </message>
    <message>
        <source>数据提前结束</source>
        <translation>the data ends early</translation>
    </message>
    <message>
        <source>不支持这种压缩方法</source>
        <translation>the compression method is not supported</translation>
    </message>
    <message>
        <source>不支持这种加密方法</source>
        <translation>the encryption method is not supported</translation>
    </message>
    <message>
        <source>成员加了密码</source>
        <translation>the member is protected by a password</translation>
    </message>
    <message>
        <source>不支持分卷压缩包</source>
        <translation>archives split over several files are not supported</translation>
    </message>
    <message>
        <source>读取出错</source>
        <translation>a read error</translation>
    </message>
    <message>
        <source>ZIP 库的错误（错误号 %1）</source>
        <translation>an error of the ZIP library (error number %1)</translation>
    </message>
    <message>
        <source>无法识别的标记</source>
        <translation>an unrecognised tag</translation>
    </message>
    <message>
        <source>处理指令有误</source>
        <translation>a bad processing instruction</translation>
    </message>
    <message>
        <source>注释有误</source>
        <translation>a bad comment</translation>
    </message>
    <message>
        <source>CDATA 段有误</source>
        <translation>a bad CDATA section</translation>
    </message>
    <message>
        <source>文档类型声明有误</source>
        <translation>a bad document type declaration</translation>
    </message>
    <message>
        <source>文字内容有误</source>
        <translation>bad character data</translation>
    </message>
    <message>
        <source>开始标记有误</source>
        <translation>a bad start tag</translation>
    </message>
    <message>
        <source>属性有误</source>
        <translation>a bad attribute</translation>
    </message>
    <message>
        <source>结束标记有误</source>
        <translation>a bad end tag</translation>
    </message>
    <message>
        <source>结束标记与开始标记不配对</source>
        <translation>an end tag that does not match its start tag</translation>
    </message>
    <message>
        <source>没有根元素</source>
        <translation>no root element</translation>
    </message>
    <message>
        <source>无法解析</source>
        <translation>it cannot be parsed</translation>
    </message>
    <message>
        <source>读取文件时出错: %1</source>
        <translation>Error reading the file: %1</translation>
    </message>
    <message>
        <source>内部错误：%1</source>
        <translation>Internal error: %1</translation>
    </message>
    <message>
        <source>用法: sorvane [选项] [文件或文件夹...]

打开 Sorvane 窗口；给出的文件所在的文件夹成为当前文件夹，并选中这些文件；
给出文件夹时打开该文件夹。

  -h, --help     显示本说明后退出
  -v, --version  显示版本后退出

转换不开窗口：sorvane-cli --help
</source>
        <translation>Usage: sorvane [OPTION] [FILE_OR_FOLDER...]

Opens the Sorvane window; the folder of the files given becomes the current folder
and exactly those files are selected; a folder given is opened.

  -h, --help     print this help and exit
  -v, --version  print the version and exit

Converting without the window: sorvane-cli --help
</translation>
    </message>
    <message>
        <source>sorvane: 未知的选项 %1
(sorvane --help)
</source>
        <translation>sorvane: unknown option %1
(sorvane --help)
</translation>
    </message>
    <message>
        <source>内部错误: %1</source>
        <translation>Internal error: %1</translation>
    </message>
    <message>
        <source>%1 个字符 GBK 中没有，已写成 "?"</source>
        <translation>characters GBK lacks, written as "?": %1</translation>
    </message>
    <message>
        <source>[%1/%2] 已转换</source>
        <translation>[%1/%2] converted</translation>
    </message>
    <message>
        <source>%1 个文件中共有 %2 个字符 GBK 中没有，已写成 "?"；用 --encoding utf-8 或 gb18030 可以保留它们</source>
        <translation>characters GBK lacks, written as "?": %2, in documents: %1; --encoding utf-8 or gb18030 keeps them</translation>
    </message>
    <message>
        <source>已转换 %1 个文件</source>
        <translation>Converted: %1</translation>
    </message>
    <message>
        <source>，%1 个跳过</source>
        <translation>, skipped: %1</translation>
    </message>
    <message>
        <source>，%1 个失败</source>
        <translation>, failed: %1</translation>
    </message>
    <message>
        <source>无法写入标准输出</source>
        <translation>cannot write to standard output</translation>
    </message>
    <message>
        <source>没有可以合并的文档</source>
        <translation>no documents to join</translation>
    </message>
    <message>
        <source>%1 个字符 GBK 中没有，已写成 "?"；用 --encoding utf-8 或 gb18030 可以保留它们</source>
        <translation>characters GBK lacks, written as "?": %1; --encoding utf-8 or gb18030 keeps them</translation>
    </message>
    <message>
        <source>已合并 %1 个文件，%2 个失败</source>
        <translation>Joined: %1, failed: %2</translation>
    </message>
    <message>
        <source>无法读取文件夹: %1</source>
        <translation>Cannot read the folder: %1</translation>
    </message>
    <message>
        <source>用法: sorvane-cli [选项] 文件...</source>
        <translation>Usage: sorvane-cli [OPTIONS] FILE...</translation>
    </message>
    <message>
        <source>用法: sorvane-cli [选项] 文件...
运行 sorvane-cli --help 查看详细说明。
</source>
        <translation>Usage: sorvane-cli [OPTIONS] FILE...
Run with --help for more information.
</translation>
    </message>
    <message>
        <source>值 %1 不是整数</source>
        <translation>Value %1 is not a whole number</translation>
    </message>
    <message>
        <source>值 %1 不在 %2 到 %3 的范围内</source>
        <translation>Value %1 not in range %2 to %3</translation>
    </message>
    <message>
        <source>%1 不在 {%2} 中</source>
        <translation>%1 not in {%2}</translation>
    </message>
    <message>
        <source>%1: 未知选项</source>
        <translation>%1: unknown option</translation>
    </message>
    <message>
        <source>%1: 缺少选项的值</source>
        <translation>%1: the option needs a value</translation>
    </message>
    <message>
        <source>%1: 选项的值不对</source>
        <translation>%1: wrong value for the option</translation>
    </message>
    <message>
        <source>命令行不对</source>
        <translation>bad command line</translation>
    </message>
    <message>
        <source>没有给出要转换的文件</source>
        <translation>FILE is required</translation>
    </message>
    <message>
        <source>%1: 不能与 %2 同时使用</source>
        <translation>%1 excludes %2</translation>
    </message>
    <message>
        <source>--output-dir: 与 --stdout、--raw 不能同时使用</source>
        <translation>--output-dir: cannot be used with --stdout or --raw</translation>
    </message>
    <message>
        <source>--encoding: --stdout 和 --raw 总是写 UTF-8</source>
        <translation>--encoding: --stdout and --raw always write UTF-8</translation>
    </message>
    <message>
        <source>--join: 与 --stdout、--raw 不能同时使用</source>
        <translation>--join: cannot be used with --stdout or --raw</translation>
    </message>
    <message>
        <source>--join: 不能合并标准输入</source>
        <translation>--join: standard input cannot be joined</translation>
    </message>
    <message>
        <source>-: 标准输入只能读一次</source>
        <translation>-: standard input can be read only once</translation>
    </message>
    <message>
        <source>-: 读标准输入时要用 --stdout、--raw 或 -o DIR</source>
        <translation>-: reading standard input needs --stdout, --raw or -o DIR</translation>
    </message>
    <message>
        <source>%1: 替换列表文件不存在，或不是一个文件</source>
        <translation>%1: the replacement list file does not exist or is not a file</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Positionals</translation>
    </message>
    <message>
        <source>文件...</source>
        <translation>FILE...</translation>
    </message>
    <message>
        <source>显示本说明后退出</source>
        <translation>Print this help message and exit</translation>
    </message>
    <message>
        <source>显示版本后退出</source>
        <translation>print the version and exit</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>TEXT</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>DIR</translation>
    </message>
    <message>
        <source>编码</source>
        <translation>ENC</translation>
    </message>
    <message>
        <source>行尾</source>
        <translation>EOL</translation>
    </message>
    <message>
        <source>书名</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>方式</source>
        <translation>KIND</translation>
    </message>
    <message>
        <source>命名方法序号 0..7（0 保留原名，k 把名字末尾的数字补足到 k+1 位）  [0]</source>
        <translation>naming method index 0..7 (0 keeps the name, k pads trailing digits to k+1)  [0]</translation>
    </message>
    <message>
        <source>开头部分的行数，与窗口中的写法相同  ["0"]</source>
        <translation>head length, as typed in the window  ["0"]</translation>
    </message>
    <message>
        <source>开头部分最多允许连续几行空行  ["1"]</source>
        <translation>most consecutive blank lines in the head  ["1"]</translation>
    </message>
    <message>
        <source>其余部分最多允许连续几行空行  ["1"]</source>
        <translation>most consecutive blank lines in the rest  ["1"]</translation>
    </message>
    <message>
        <source>一行中同一个字符最多连续保留几个  [""]</source>
        <translation>longest run of one repeated character kept on a line  [""]</translation>
    </message>
    <message>
        <source>输出文件的最大大小，单位 K  [""]</source>
        <translation>largest output file size, in K  [""]</translation>
    </message>
    <message>
        <source>KELDRAN.DAT 格式的替换列表（每一行都使用）</source>
        <translation>replacement list in the KELDRAN.DAT format (all rows applied)</translation>
    </message>
    <message>
        <source>把文件写进 文件夹（没有时创建），而不是每个源文件旁边；在文件夹参数中找到的文档保留各自的子文件夹</source>
        <translation>write the files into DIR (created when missing) instead of beside each source; documents found in a folder argument keep their sub-folders</translation>
    </message>
    <message>
        <source>写出的行尾：crlf 或 lf  [crlf；用 --stdout 时为 lf]</source>
        <translation>line ends written: crlf or lf  [crlf; lf with --stdout]</translation>
    </message>
    <message>
        <source>繁简转换：none、t2s、s2t、tw2sp 或 s2twp（后两种含台湾用语）  [none]</source>
        <translation>Traditional/Simplified conversion: none, t2s, s2t, tw2sp or s2twp (with Taiwanese phrasing)  [none]</translation>
    </message>
    <message>
        <source>输出文件已经存在、又不是本次写出的，就跳过这个文档（并报告）</source>
        <translation>skip (and report) a document whose output file exists and was not written by this run</translation>
    </message>
    <message>
        <source>把转换后的文本（所有部分，按顺序）以 UTF-8 写到标准输出，不写文件</source>
        <translation>write the converted text (all parts, in order) to standard output as UTF-8, instead of files</translation>
    </message>
    <message>
        <source>把渲染出的文本（未经任何规则）以 UTF-8 写到标准输出（保留 CR LF）</source>
        <translation>write the rendered text, before any rule, to standard output as UTF-8 (CR LF kept)</translation>
    </message>
    <message>
        <source>同时转换的文档数  [处理器核数]</source>
        <translation>documents converted in parallel  [number of cores]</translation>
    </message>
    <message>
        <source>不显示进度、总结和写出的文件列表</source>
        <translation>no progress, no summary and no list of written files</translation>
    </message>
    <message>
        <source>要转换的文档；文件夹表示其中的网页，- 表示读标准输入</source>
        <translation>documents to convert; a folder gives the web pages in it, - reads standard input</translation>
    </message>
    <message>
        <source>XML 文档的元素过多（超过 %1 个标记），无法读取</source>
        <translation>The XML document has too many elements (over %1 tags); cannot read it</translation>
    </message>
    <message>
        <source>这不是 MOBI 电子书</source>
        <translation>This is not a MOBI e-book</translation>
    </message>
    <message>
        <source>MOBI 电子书已损坏或不完整，无法读取</source>
        <translation>The MOBI e-book is damaged or incomplete; cannot read it</translation>
    </message>
    <message>
        <source>这本书有 DRM 加密保护，无法读取</source>
        <translation>This book is DRM-protected; cannot read it</translation>
    </message>
    <message>
        <source>这是一本按页排版的打印版电子书（Print Replica），其中没有可读取的文字</source>
        <translation>This is a print edition laid out by pages (Print Replica); it holds no text to read</translation>
    </message>
    <message>
        <source>MOBI 电子书声称的文字长度（%1 KB）远超出文件本身能容纳的大小，可能已损坏，拒绝读取</source>
        <translation>The MOBI e-book claims a text length (%1 KB) far beyond what the file itself can hold; it may be damaged, refused</translation>
    </message>
    <message>
        <source>MOBI 电子书已损坏，无法读取其中的文字</source>
        <translation>The MOBI e-book is damaged; its text cannot be read</translation>
    </message>
    <message>
        <source>MOBI 电子书中没有文字</source>
        <translation>The MOBI e-book holds no text</translation>
    </message>
    <message>
        <source>目录页，已略过</source>
        <translation>contents page, skipped</translation>
    </message>
    <message>
        <source>没有正文，已略过</source>
        <translation>no text, skipped</translation>
    </message>
    <message>
        <source>没有一页有正文（都是目录页或空页），没有生成书</source>
        <translation>Not one page has text (all are contents or empty pages); no book was made</translation>
    </message>
    <message>
        <source>这是一个漫画压缩包（CBZ），里面是页面图片，没有文字，无法读取</source>
        <translation>This is a comic book archive (CBZ) of page images without text; cannot read it</translation>
    </message>
    <message>
        <source>这是一个漫画压缩包（CBR），里面是页面图片，没有文字，无法读取</source>
        <translation>This is a comic book archive (CBR) of page images without text; cannot read it</translation>
    </message>
    <message>
        <source>这是一个 DjVu 文档（扫描的页面图片），无法读取</source>
        <translation>This is a DjVu document (scanned page images); cannot read it</translation>
    </message>
    <message>
        <source>文档中连续空格的标记过多，超过 %1 个空格后每处只保留一个空格</source>
        <translation>The document marks too many runs of spaces; past %1 spaces, each keeps one space only</translation>
    </message>
    <message>
        <source>FB2 电子书格式错误：%1</source>
        <translation>The FB2 e-book is malformed: %1</translation>
    </message>
    <message>
        <source>这不是 FB2 电子书（根元素不是 FictionBook）</source>
        <translation>This is not an FB2 e-book (its root element is not FictionBook)</translation>
    </message>
    <message>
        <source>FB2 电子书中没有正文（body）</source>
        <translation>The FB2 e-book has no body</translation>
    </message>
    <message>
        <source>FB2 压缩包已损坏或不完整：%1</source>
        <translation>The FB2 archive is damaged or incomplete: %1</translation>
    </message>
    <message>
        <source>这个压缩包中没有唯一的一本 FB2 电子书</source>
        <translation>This archive does not hold exactly one FB2 e-book</translation>
    </message>
    <message>
        <source>压缩包中的 FB2 电子书解压后过大（超过 %1 MB），可能是压缩炸弹，拒绝读取</source>
        <translation>The FB2 e-book in the archive is too large once unpacked (over %1 MB), perhaps a zip bomb; refused</translation>
    </message>
    <message>
        <source>无法解压压缩包中的 FB2 电子书：%1</source>
        <translation>Cannot unpack the FB2 e-book in the archive: %1</translation>
    </message>
    <message>
        <source>另有 %1 个框架页面不在文件中</source>
        <translation>The pages of %1 more frames are not in the file</translation>
    </message>
    <message>
        <source>规则文件第 %1 行：%2</source>
        <translation>Line %1 of the rules file: %2</translation>
    </message>
    <message>
        <source>不是 UTF-8 文字</source>
        <translation>not UTF-8 text</translation>
    </message>
    <message>
        <source>缺少 Tab：正则表达式和替换文字之间要用一个 Tab 分开</source>
        <translation>a Tab is missing: one Tab goes between the regular expression and its replacement</translation>
    </message>
    <message>
        <source>正则表达式是空的</source>
        <translation>the regular expression is empty</translation>
    </message>
    <message>
        <source>正则表达式有误（%1）</source>
        <translation>the regular expression is wrong (%1)</translation>
    </message>
    <message>
        <source>替换文字有误（%1）</source>
        <translation>the replacement is wrong (%1)</translation>
    </message>
    <message>
        <source>无效的转义序列：%1</source>
        <translation>invalid escape sequence: %1</translation>
    </message>
    <message>
        <source>无效的字符类：%1</source>
        <translation>invalid character class: %1</translation>
    </message>
    <message>
        <source>无效的字符类范围：%1</source>
        <translation>invalid character class range: %1</translation>
    </message>
    <message>
        <source>缺少 ]：%1</source>
        <translation>missing ]: %1</translation>
    </message>
    <message>
        <source>缺少 )：%1</source>
        <translation>missing ): %1</translation>
    </message>
    <message>
        <source>多出 )：%1</source>
        <translation>unexpected ): %1</translation>
    </message>
    <message>
        <source>重复符号前面没有可重复的内容：%1</source>
        <translation>nothing to repeat before the repetition operator: %1</translation>
    </message>
    <message>
        <source>重复次数无效：%1</source>
        <translation>invalid repetition size: %1</translation>
    </message>
    <message>
        <source>重复符号用错了：%1</source>
        <translation>bad repetition operator: %1</translation>
    </message>
    <message>
        <source>无效的 (? 写法：%1</source>
        <translation>invalid (? group: %1</translation>
    </message>
    <message>
        <source>命名分组有误：%1</source>
        <translation>invalid named capture group: %1</translation>
    </message>
    <message>
        <source>末尾是单独的反斜杠</source>
        <translation>a lone backslash at the end</translation>
    </message>
    <message>
        <source>不是有效的 UTF-8 文字</source>
        <translation>not valid UTF-8 text</translation>
    </message>
    <message>
        <source>正则表达式太大，超出了允许的内存</source>
        <translation>the regular expression is too large for the memory allowed</translation>
    </message>
    <message>
        <source>正则表达式库出了意外的错误</source>
        <translation>an unexpected error in the regular expression library</translation>
    </message>
    <message>
        <source>反斜杠后面只能是数字或反斜杠：%1</source>
        <translation>a backslash must be followed by a digit or another backslash: %1</translation>
    </message>
    <message>
        <source>替换文字用到第 %1 组，正则表达式只有 %2 组</source>
        <translation>the replacement uses group %1, but the regular expression has only %2</translation>
    </message>
    <message>
        <source>替换文字无法使用</source>
        <translation>the replacement cannot be used</translation>
    </message>
    <message>
        <source>规则文件太大（超过 1 MB）</source>
        <translation>The rules file is too large (over 1 MB)</translation>
    </message>
    <message>
        <source>这条规则删去了全部文字，没有转换</source>
        <translation>this rule removed all the text; not converted</translation>
    </message>
    <message>
        <source>页面杂项</source>
        <translation>page furniture</translation>
    </message>
    <message>
        <source>目录页</source>
        <translation>contents page</translation>
    </message>
    <message>
        <source>导航</source>
        <translation>navigation</translation>
    </message>
    <message>
        <source>网站告示</source>
        <translation>site notice</translation>
    </message>
    <message>
        <source>广告</source>
        <translation>advert</translation>
    </message>
    <message>
        <source>各页重复</source>
        <translation>repeated on every page</translation>
    </message>
    <message>
        <source>重复标题</source>
        <translation>repeated heading</translation>
    </message>
    <message>
        <source>文档太大（超过 %1），不是能转换的文档，没有读完</source>
        <translation>The document is too large (over %1): no document to convert; not read to its end</translation>
    </message>
    <message>
        <source>%1 字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>把文档转换成纯文本书：网页（.htm、.html、.xhtml、.shtml 等）、保存的网页（.mht、.mhtml）、
EPUB 和 CHM 电子书、Word（.docx、.doc）、OpenDocument（.odt）、RTF 和纯文本（.txt、.text）。
默认用代码页 936（GBK）、CR LF 行尾，写在每个源文件旁边。</source>
        <translation>Converts documents into plain-text books: web pages (.htm, .html, .xhtml, .shtml, ...),
saved pages (.mht, .mhtml), EPUB and CHM books, Word (.docx, .doc), OpenDocument (.odt),
RTF and plain text (.txt, .text). By default the text is written beside each source in
code page 936 (GBK) with CR LF line ends.</translation>
    </message>
    <message>
        <source>自己的默认值：在 $XDG_CONFIG_HOME/sorvane/sorvane-cli.conf（~/.config/sorvane/sorvane-cli.conf）
中写“名字 = 值”的行，命令行上给出的优先。
退出状态：0 全部转换，1 有文档失败，2 用法错误，3 有部分内容没有读出。详见 man sorvane-cli。</source>
        <translation>Defaults of your own: name = value lines in $XDG_CONFIG_HOME/sorvane/sorvane-cli.conf
(~/.config/sorvane/sorvane-cli.conf), the command line winning.
Exit status: 0 all converted, 1 some document failed, 2 bad usage, 3 parts could
not be read. See man sorvane-cli.</translation>
    </message>
    <message>
        <source>写出文件的编码：gbk（代码页 936）、gb18030 或 utf-8，大小写不限；也认 utf8、cp936、gb2312、gb-18030 等别名  [gbk]</source>
        <translation>encoding of the files written: gbk (code page 936), gb18030 or utf-8, in any case; aliases such as utf8, cp936, gb2312 and gb-18030 are taken too  [gbk]</translation>
    </message>
    <message>
        <source>%1: 不认识的编码，可用 gbk、gb18030 或 utf-8</source>
        <translation>%1: unknown encoding; gbk, gb18030 or utf-8 can be used</translation>
    </message>
    <message>
        <source>把这些文档合并为一本名为 书名 的书（加上 .txt），写进 -o 文件夹，或第一个文档旁边；给出的文档按自然顺序合并（chap2 在 chap10 之前）</source>
        <translation>join the documents into one book named NAME (.txt added), written into -o DIR or beside the first document; the documents named are joined in natural order (chap2 before chap10)</translation>
    </message>
    <message>
        <source>与 --join 一起用时，按给出的顺序合并</source>
        <translation>with --join, join the documents in the order given</translation>
    </message>
    <message>
        <source>文件夹参数的子文件夹中的文档也一起转换</source>
        <translation>take the documents of the sub-folders of a folder argument too</translation>
    </message>
    <message>
        <source>不读配置文件（sorvane-cli.conf）</source>
        <translation>ignore the configuration file (sorvane-cli.conf)</translation>
    </message>
    <message>
        <source>网页只保留正文，并去掉一起转换的页面中网站重复的行  [用 --join 时打开]</source>
        <translation>keep only the story of web pages and drop the lines the site repeats on the pages converted together  [on with --join]</translation>
    </message>
    <message>
        <source>网页整页转换  [不用 --join 时]</source>
        <translation>convert web pages whole  [without --join]</translation>
    </message>
    <message>
        <source>在标准错误上逐页列出清理去掉的内容</source>
        <translation>list on standard error what cleaning removed, page by page</translation>
    </message>
    <message>
        <source>规则文件：每行一个正则表达式、一个制表符和它的替换文字，在替换列表之后使用</source>
        <translation>rules file: one regular expression, a tab and its replacement a line, applied after the replacement list</translation>
    </message>
    <message>
        <source>第 %1 行已经设置过</source>
        <translation>already set on line %1</translation>
    </message>
    <message>
        <source>只能在命令行上给出，不能写在配置文件中</source>
        <translation>can only be given on the command line, not in the configuration file</translation>
    </message>
    <message>
        <source>没有这个选项</source>
        <translation>no such option</translation>
    </message>
    <message>
        <source>%1: 只能是 true 或 false</source>
        <translation>%1: only true or false</translation>
    </message>
    <message>
        <source>与第 %1 行的 %2 不能同时使用</source>
        <translation>cannot be used with %2 on line %1</translation>
    </message>
    <message>
        <source>文件夹及其子文件夹中没有可读取的文档或文本文件</source>
        <translation>No readable document or text file in the folder or its sub-folders</translation>
    </message>
    <message>
        <source>文件夹中没有可读取的文档或文本文件（子文件夹要用 -r）</source>
        <translation>No readable document or text file in the folder (-r takes its sub-folders too)</translation>
    </message>
    <message>
        <source>不是“名字 = 值”的形式</source>
        <translation>not of the form "name = value"</translation>
    </message>
    <message>
        <source>“=”前面没有选项的名字</source>
        <translation>no option name before "="</translation>
    </message>
    <message>
        <source>去除 %1 行:</source>
        <translation>lines removed: %1</translation>
    </message>
    <message>
        <source>去除网页杂项 %1 行</source>
        <translation>page furniture removed: %1 lines</translation>
    </message>
    <message>
        <source>，略过没有正文的页面（目录页等）%1 页</source>
        <translation>, pages without text skipped (contents pages and the like): %1</translation>
    </message>
    <message>
        <source>，%1 个有部分内容没有读出</source>
        <translation>, with parts not read: %1</translation>
    </message>
    <message>
        <source>不是 MIME 邮件格式</source>
        <translation>Not in MIME mail format</translation>
    </message>
    <message>
        <source>无法打开 CHM 帮助文件</source>
        <translation>The CHM help file cannot be opened</translation>
    </message>
    <message>
        <source>无法载入程序模块 %1：%2；程序可能没有完整安装</source>
        <translation>The program module %1 cannot be loaded: %2; the program may not be installed completely</translation>
    </message>
    <message>
        <source>%1: 无法载入</source>
        <translation>%1: cannot be loaded</translation>
    </message>
    <message>
        <source>%1: 无法载入，缺少它需要的库 %2</source>
        <translation>%1: cannot be loaded; the library %2 it needs is missing</translation>
    </message>
    <message>
        <source>%1: 无法载入，缺少符号 %2</source>
        <translation>%1: cannot be loaded; the symbol %2 is missing</translation>
    </message>
    <message>
        <source>%1: 它属于本程序的另一个版本</source>
        <translation>%1: it belongs to another version of this program</translation>
    </message>
    <message>
        <source>在 %1 中都找不到它</source>
        <translation>it is in none of %1</translation>
    </message>
    <message>
        <source>在 %1 中找不到它</source>
        <translation>it is not in %1</translation>
    </message>
    <message>
        <source>在 %1、%2 中都找不到它</source>
        <translation>it is in none of %1, %2</translation>
    </message>
    <message>
        <source>在 %1、%2、%3 中都找不到它</source>
        <translation>it is in none of %1, %2, %3</translation>
    </message>
    <message>
        <source>在 %1、%2、%3、%4 中都找不到它</source>
        <translation>it is in none of %1, %2, %3, %4</translation>
    </message>
    <message>
        <source>这个 Office 文档已加密，无法读取；请先在原来的程序中去掉密码</source>
        <translation>This Office document is encrypted and cannot be read; remove the password in the program that made it first</translation>
    </message>
    <message>
        <source>这是 Word 2.0 格式的文档，太旧，无法读取</source>
        <translation>This is a Word 2.0 document, too old to be read</translation>
    </message>
    <message>
        <source>Word 文档的文件信息块已损坏（正文的位置不对）</source>
        <translation>The file information block of the Word document is damaged (the text is not where it says)</translation>
    </message>
    <message>
        <source>XML 文档过大，解析所需的内存超过允许的 %1 MB，已拒绝</source>
        <translation>The XML document is too large: parsing it needs more memory than the %1 MB allowed; refused</translation>
    </message>
    <message>
        <source>%1过大，读取它所需的内存超过按文件大小允许的 %2 MB，只读取了前面的部分</source>
        <translation>%1 is too large: reading it needs more memory than the %2 MB the file's size allows; only its beginning was read</translation>
    </message>
    <message>
        <source>OpenDocument 文档的正文</source>
        <translation>The text of the OpenDocument document</translation>
    </message>
    <message>
        <source>Word 文档的正文</source>
        <translation>The text of the Word document</translation>
    </message>
    <message>
        <source>%1: 这一章已加密（受 DRM 保护），略过</source>
        <translation>%1: this chapter is encrypted (DRM-protected) and was skipped</translation>
    </message>
    <message>
        <source>文件是空的（0 字节），没有可以读取的内容</source>
        <translation>The file is empty (0 bytes); there is nothing to read</translation>
    </message>
    <message>
        <source>这是 Word 2003 XML 格式的文档，无法读取；请在字处理程序中另存为 .docx 或 .doc 后再转换</source>
        <translation>This is a Word 2003 XML document and cannot be read; save it as .docx or .doc in a word processor, then convert it</translation>
    </message>
    <message>
        <source>这个 OpenDocument 文档已加密，无法读取；请先在字处理程序中去掉密码</source>
        <translation>This OpenDocument document is encrypted and cannot be read; remove its password in a word processor first</translation>
    </message>
    <message>
        <source>这是一个 WordPerfect 文档，无法读取；请在字处理程序中另存为 .docx 或 .doc 后再转换</source>
        <translation>This is a WordPerfect document and cannot be read; save it as .docx or .doc in a word processor, then convert it</translation>
    </message>
    <message>
        <source>Word 2003 XML 文档格式错误：%1</source>
        <translation>The Word 2003 XML document is malformed: %1</translation>
    </message>
    <message>
        <source>Word 2003 XML 文档中没有正文（w:body）</source>
        <translation>The Word 2003 XML document has no text (w:body)</translation>
    </message>
</context>
<context>
    <name>sorvane::ui::DirListBox</name>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>这不是一个文件夹</source>
        <translation>this is not a folder</translation>
    </message>
    <message>
        <source>没有读取这个文件夹的权限</source>
        <translation>no permission to read this folder</translation>
    </message>
</context>
<context>
    <name>sorvane::ui::MessageBox</name>
    <message>
        <source>系统提示</source>
        <translation>Sorvane</translation>
    </message>
    <message>
        <source>是(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>否(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>sorvane::ui::SorvMain</name>
    <message>
        <source>无法打开帮助文件，请直接打开：
%1</source>
        <translation>Cannot open the help file; please open it yourself:
%1</translation>
    </message>
    <message>
        <source>无法打开网址，请在浏览器中打开：
%1</source>
        <translation>Cannot open the address; please open it in a web browser:
%1</translation>
    </message>
    <message>
        <source>选择源文件</source>
        <translation>Source files</translation>
    </message>
    <message>
        <source>文档类型：</source>
        <translation>Document type:</translation>
    </message>
    <message>
        <source>转换参数</source>
        <translation>Conversion parameters</translation>
    </message>
    <message>
        <source>目标文档命名方法</source>
        <translation>Output file names</translation>
    </message>
    <message>
        <source>开头</source>
        <translation>In the first</translation>
    </message>
    <message>
        <source>行内，最多允许</source>
        <translation>lines, at most</translation>
    </message>
    <message>
        <source>行空行。</source>
        <translation>blank lines in a row.</translation>
    </message>
    <message>
        <source>其余部分，最多允许</source>
        <translation>In the rest, at most</translation>
    </message>
    <message>
        <source>每行连续字符最多</source>
        <translation>Longest run of one character on a line:</translation>
    </message>
    <message>
        <source>个。</source>
        <translation>characters.</translation>
    </message>
    <message>
        <source>目标文档最大字节数</source>
        <translation>Largest output file size:</translation>
    </message>
    <message>
        <source>退　出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>转换开始(&amp;K)</source>
        <translation>Convert (&amp;K)</translation>
    </message>
    <message>
        <source>确定替换内容(&amp;R)</source>
        <translation>Set &amp;replacement</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>预览转换后内容(&amp;W)</source>
        <translation>Vie&amp;w converted text</translation>
    </message>
    <message>
        <source>帮助(F1)</source>
        <translation>Help (F1)</translation>
    </message>
    <message>
        <source>关于...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>替换列表</source>
        <translation>Replacement list</translation>
    </message>
    <message>
        <source>Sorvane 的姊妹软件“书签夹”帮您整理收藏的网页，欢迎试用，请访问: </source>
        <translation>Sorvane's sister program Bookmark Folder keeps your saved web pages in order; try it at: </translation>
    </message>
    <message>
        <source>输出文件夹</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>（空：与源文件相同）</source>
        <translation>(empty: beside each source)</translation>
    </message>
    <message>
        <source>转换后的文件写入这个文件夹；空着就写在每个源文件旁边</source>
        <translation>The converted files are written into this folder; left empty, beside each source file</translation>
    </message>
    <message>
        <source>选择输出文件夹</source>
        <translation>Choose the output folder</translation>
    </message>
    <message>
        <source>输出编码</source>
        <translation>Output encoding</translation>
    </message>
    <message>
        <source>GBK (默认)</source>
        <translation>GBK (default)</translation>
    </message>
    <message>
        <source>合并为一本书</source>
        <translation>Join into one book</translation>
    </message>
    <message>
        <source>选中的文档按列表顺序合并为一本书，以当前文件夹的名字命名</source>
        <translation>The selected documents are joined, in the order of the list, into one book named after the current folder</translation>
    </message>
    <message>
        <source>繁简转换</source>
        <translation>Traditional/Simplified</translation>
    </message>
    <message>
        <source>不转换 (默认)</source>
        <translation>No conversion (default)</translation>
    </message>
    <message>
        <source>繁体→简体</source>
        <translation>Traditional → Simplified</translation>
    </message>
    <message>
        <source>简体→繁体</source>
        <translation>Simplified → Traditional</translation>
    </message>
    <message>
        <source>台湾繁体→简体</source>
        <translation>Taiwan Traditional → Simplified</translation>
    </message>
    <message>
        <source>简体→台湾繁体</source>
        <translation>Simplified → Taiwan Traditional</translation>
    </message>
    <message>
        <source>确实要转换吗?</source>
        <translation>Convert the selected files?</translation>
    </message>
    <message>
        <source>请选中需要转换的文件!</source>
        <translation>Please select the files to convert!</translation>
    </message>
    <message>
        <source>停　止(&amp;X)</source>
        <translation>Stop (&amp;X)</translation>
    </message>
    <message>
        <source>没有合并成书：
%1</source>
        <translation>No book was made:
%1</translation>
    </message>
    <message>
        <source>转换完毕!
已把 %1 个文件合并为：%2</source>
        <translation>Conversion finished!
Files joined: %1, into: %2</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>
以下 %1 个文件没有合并进去：
</source>
        <translation>
Files left out (%1):
</translation>
    </message>
    <message>
        <source>

共有 %1 个字符 GBK 中没有，已写成“?”；选用 GB18030 或 UTF-8 输出编码可以保留它们。</source>
        <translation>

Characters GBK lacks, written as "?": %1. The GB18030 or UTF-8 output encoding keeps them.</translation>
    </message>
    <message>
        <source>

%1 个文件中共有 %2 个字符 GBK 中没有，已写成“?”；选用 GB18030 或 UTF-8 输出编码可以保留它们。</source>
        <translation>

Characters GBK lacks, written as "?": %2, in files: %1. The GB18030 or UTF-8 output encoding keeps them.</translation>
    </message>
    <message>
        <source>
以下 %1 个文件转换失败（仍为选中状态）：
</source>
        <translation>
Files that failed (%1, still selected):
</translation>
    </message>
    <message>
        <source>转换已停止：已转换 %1 个文件，%2 个文件未转换（仍为选中状态）。</source>
        <translation>Conversion stopped. Files converted: %1; not converted (still selected): %2.</translation>
    </message>
    <message>
        <source>转换完毕!</source>
        <translation>Conversion finished!</translation>
    </message>
    <message>
        <source>已转换 %1 个文件，以下 %2 个文件转换失败（仍为选中状态）：
</source>
        <translation>Files converted: %1. Files that failed (%2, still selected):
</translation>
    </message>
    <message>
        <source>以下 %1 个文件转换失败（仍为选中状态）：
</source>
        <translation>Files that failed (%1, still selected):
</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>无法打开文件夹 %1：%2</source>
        <translation>Cannot open the folder %1: %2</translation>
    </message>
    <message>
        <source>请选中一个要转换的文件!</source>
        <translation>Please select a file to convert!</translation>
    </message>
    <message>
        <source>%1：文件不存在</source>
        <translation>%1: the file does not exist</translation>
    </message>
    <message>
        <source>%1：一次只能打开一个文件夹</source>
        <translation>%1: only one folder can be opened at a time</translation>
    </message>
    <message>
        <source>%1：不在 %2 中，未选中</source>
        <translation>%1: not in %2, not selected</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>不变化</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>将文件名尾部数字变为%1位</source>
        <translation>Trailing digits padded to %1</translation>
    </message>
    <message>
        <source>没有找到用户的配置文件夹（HOME 和 XDG_CONFIG_HOME 都没有设置），本次的设置和替换列表只保留到现在，没有写入任何文件</source>
        <translation>No configuration folder of the user's was found (neither HOME nor XDG_CONFIG_HOME is set): the settings and the replacement list of this session lasted until now, and no file was written</translation>
    </message>
    <message>
        <source>正在转换，要停止转换并退出吗?</source>
        <translation>A conversion is running. Stop it and exit?</translation>
    </message>
    <message>
        <source>设置没有保存成功：
</source>
        <translation>The settings were not saved:
</translation>
    </message>
    <message>
        <source>设置没有保存成功：</source>
        <translation>The settings were not saved:</translation>
    </message>
    <message>
        <source>
以下文件已写出，但有部分内容没有读出：
</source>
        <translation>
These files were written, but parts of them could not be read:
</translation>
    </message>
    <message>
        <source>去除网页杂项</source>
        <translation>Clean web pages</translation>
    </message>
    <message>
        <source>网页只留正文和章节标题：去掉导航、目录页、网站告示、夹在段落里的网址广告，以及各页重复的行；合并为一本书时默认选中（Alt+Q）</source>
        <translation>Web pages keep only their text and chapter headings: navigation, contents pages, site notices, web address adverts inside paragraphs and the lines repeated on every page are removed; on by default when joining into one book (Alt+Q)</translation>
    </message>
    <message>
        <source>选择规则文件…</source>
        <translation>Choose a rules file…</translation>
    </message>
    <message>
        <source>不用规则文件</source>
        <translation>No rules file</translation>
    </message>
    <message>
        <source>无</source>
        <translation>none</translation>
    </message>
    <message>
        <source>规则文件(&amp;G)：%1</source>
        <translation>Rules file (&amp;G): %1</translation>
    </message>
    <message>
        <source>规则文件：每行一个正则表达式、一个 Tab 和替换文字，在替换列表之后使用</source>
        <translation>Rules file: one regular expression, a Tab and its replacement a line, applied after the replacement list</translation>
    </message>
    <message>
        <source>选择规则文件</source>
        <translation>Choose a rules file</translation>
    </message>
    <message>
        <source>规则文件 (*.txt *.rules);;所有文件 (*)</source>
        <translation>Rules files (*.txt *.rules);;All files (*)</translation>
    </message>
    <message>
        <source>规则文件有误：
%1</source>
        <translation>The rules file has an error:
%1</translation>
    </message>
    <message>
        <source>规则文件有误，没有转换：
%1</source>
        <translation>The rules file has an error; nothing was converted:
%1</translation>
    </message>
    <message>
        <source>
去除网页杂项 %1 行。</source>
        <translation>
Page furniture removed: %1 lines.</translation>
    </message>
    <message>
        <source>
以下 %1 页没有正文（目录页等），已略过：
</source>
        <translation>
The following %1 pages have no text (contents pages and the like) and were skipped:
</translation>
    </message>
</context>
<context>
    <name>sorvane::ui::T1</name>
    <message>
        <source>确认替换内容</source>
        <translation>Confirm replacement</translation>
    </message>
    <message>
        <source>将选中部分替换为：</source>
        <translation>Replace the selection with:</translation>
    </message>
    <message>
        <source>&amp;T.临时替换</source>
        <translation>&amp;T. Temporary</translation>
    </message>
    <message>
        <source>&amp;X.退出</source>
        <translation>&amp;X. Exit</translation>
    </message>
    <message>
        <source>&amp;K.确认</source>
        <translation>&amp;K. Confirm</translation>
    </message>
    <message>
        <source>预览转换后文本</source>
        <translation>Preview of the converted text</translation>
    </message>
    <message>
        <source>无法显示文档：
%1</source>
        <translation>Cannot show the document:
%1</translation>
    </message>
    <message>
        <source>请选定要替换的文字部分!</source>
        <translation>Please select the text to replace!</translation>
    </message>
</context>
<context>
    <name>sorvane::ui::about</name>
    <message>
        <source>　　该软件可以帮助你将html/htm/doc/rft等文档的内容转换为文本文件。可用于不支持浏览器的手机阅读。</source>
        <translation>This program turns the content of html/htm/doc/rft and other documents into text files, for reading on phones without a web browser.</translation>
    </message>
    <message>
        <source>　　本软件免费提供给个人使用，欢迎复制和转发，但请保持软件完整，不要用于任何商业用途。使用本软件所产生的一切后果由使用者自行承担。</source>
        <translation>The program is free for personal use. You are welcome to copy and pass it on, but please keep it complete and do not use it for any commercial purpose. Whatever comes of using it is the user's own responsibility.</translation>
    </message>
    <message>
        <source>　　作者不能保证该软件适合所有情况，并且不保证在所有情况下转换的正确性，但作者会极力的避免这种情况的发生。</source>
        <translation>The author cannot promise that the program suits every case, nor that every conversion is correct, but does his utmost to keep that from happening. </translation>
    </message>
    <message>
        <source>作者会不断推出改进后的新版本，欢迎随时访问作者的网站获取最新版本。</source>
        <translation>Improved versions keep coming: visit the author's website at any time for the latest.</translation>
    </message>
    <message>
        <source>关于... ...</source>
        <translation>About... ...</translation>
    </message>
    <message>
        <source>退　出</source>
        <translation>Exit</translation>
    </message>
</context>
</TS>
