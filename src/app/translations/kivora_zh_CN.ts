<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
    <context>
        <name>BoundedRequest</name>
        <message>
            <source>no complete answer from %1 before the deadline</source>
            <translation>在期限前没有收到 %1 的完整应答</translation>
        </message>
        <message>
            <source>%1 announces %2 bytes; the limit is %3 bytes</source>
            <translation>%1 声明了 %2 字节，上限为 %3 字节</translation>
        </message>
        <message>
            <source>%1 sent more than %2 bytes</source>
            <translation>%1 发送了超过 %2 字节</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1：%2</translation>
        </message>
        <message>
            <source>no progress from %1 within %2 ms</source>
            <translation>%1 在 %2 毫秒内没有进展</translation>
        </message>
        <message>
            <source>%1: %2 (%3)</source>
            <translation>%1：%2（%3）</translation>
        </message>
    </context>
    <context>
        <name>BusyIndicator</name>
        <message>
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
        <message>
            <source>Saving</source>
            <translation>正在保存</translation>
        </message>
        <message>
            <source>%1 of %2 (%3 %)</source>
            <translation>%1 / %2（%3%）</translation>
        </message>
    </context>
    <context>
        <name>CheckedWrites</name>
        <message>
            <source>%1 holds %2 of the %3 bytes written</source>
            <translation>%1 只有写入的 %3 字节中的 %2 字节</translation>
        </message>
        <message>
            <source>Cannot write %1</source>
            <translation>无法写入 %1</translation>
        </message>
        <message>
            <source>Cannot write %1: %2</source>
            <translation>无法写入 %1：%2</translation>
        </message>
    </context>
    <context>
        <name>ContentDecoder</name>
        <message>
            <source>the compressed data is damaged</source>
            <translation>压缩数据已损坏</translation>
        </message>
        <message>
            <source>it expands past %1 bytes</source>
            <translation>解压后超过 %1 字节</translation>
        </message>
        <message>
            <source>data follows the end of the compressed stream</source>
            <translation>压缩流结束后还有多余数据</translation>
        </message>
        <message>
            <source>the compressed data ends early</source>
            <translation>压缩数据提前结束</translation>
        </message>
    </context>
    <context>
        <name>DesktopNotifier</name>
        <message>
            <source>Open folder</source>
            <translation>打开文件夹</translation>
        </message>
    </context>
    <context>
        <name>DownloadQueue</name>
        <message>
            <source>Waiting</source>
            <translation>等待中</translation>
        </message>
        <message>
            <source>Resolving the link</source>
            <translation>正在解析链接</translation>
        </message>
        <message>
            <source>Saved before, on %1. Resume downloads it again.</source>
            <translation>已于 %1 保存过。继续将再次下载。</translation>
        </message>
        <message>
            <source>%1, %2 a second</source>
            <translation>%1，每秒 %2</translation>
        </message>
        <message>
            <source>%1, %2 s left</source>
            <translation>%1，还剩 %2 秒</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1：%2</translation>
        </message>
        <message>
            <source>Saved in %1</source>
            <translation>已保存到 %1</translation>
        </message>
        <message>
            <source>Failed: %1</source>
            <translation>失败：%1</translation>
        </message>
        <message>
            <source>Paused</source>
            <translation>已暂停</translation>
        </message>
        <message numerus="yes">
            <source>Paused, %n file(s) saved</source>
            <translation>
                <numerusform>已暂停，已保存 %n 个文件</numerusform>
            </translation>
        </message>
        <message>
            <source>Cancelled</source>
            <translation>已取消</translation>
        </message>
    </context>
    <context>
        <name>FailureReason</name>
        <message>
            <source>%1: %2</source>
            <translation>%1：%2</translation>
        </message>
        <message>
            <source>No video ID</source>
            <translation>没有视频 ID</translation>
        </message>
        <message>
            <source>The short link redirects in a loop</source>
            <translation>短链接循环跳转</translation>
        </message>
        <message>
            <source>The short link redirects too many times</source>
            <translation>短链接跳转次数过多</translation>
        </message>
        <message>
            <source>A redirect was refused</source>
            <translation>跳转被拒绝</translation>
        </message>
        <message>
            <source>The secure connection failed</source>
            <translation>安全连接失败</translation>
        </message>
        <message>
            <source>The connection was refused</source>
            <translation>连接被拒绝</translation>
        </message>
        <message>
            <source>The server stopped answering</source>
            <translation>服务器停止了应答</translation>
        </message>
        <message>
            <source>The parse took too long</source>
            <translation>解析用时过长</translation>
        </message>
        <message>
            <source>The request failed</source>
            <translation>请求失败</translation>
        </message>
        <message>
            <source>The server answered with an error status</source>
            <translation>服务器返回了错误状态</translation>
        </message>
        <message>
            <source>The answer is too large</source>
            <translation>应答过大</translation>
        </message>
        <message>
            <source>The share page is not UTF-8 text</source>
            <translation>分享页面不是 UTF-8 文本</translation>
        </message>
        <message>
            <source>The answer could not be decompressed</source>
            <translation>应答无法解压</translation>
        </message>
        <message>
            <source>Cancelled</source>
            <translation>已取消</translation>
        </message>
        <message>
            <source>The file could not be written</source>
            <translation>无法写入文件</translation>
        </message>
        <message>
            <source>The download is not what it claims to be</source>
            <translation>下载的内容与声明的不符</translation>
        </message>
        <message>
            <source>The transfer did not bring the whole file</source>
            <translation>传输没有带来完整的文件</translation>
        </message>
        <message>
            <source>The copy into the album failed</source>
            <translation>复制到相册失败</translation>
        </message>
        <message>
            <source>The item has neither a video nor pictures</source>
            <translation>该作品既没有视频也没有图片</translation>
        </message>
        <message>
            <source>The post has been deleted</source>
            <translation>作品已被删除</translation>
        </message>
        <message>
            <source>The post is private: only its author can see it</source>
            <translation>作品已设为私密：仅作者本人可见</translation>
        </message>
        <message>
            <source>Only the author&apos;s friends can see this post</source>
            <translation>此作品仅作者的朋友可见</translation>
        </message>
        <message>
            <source>The story has expired: stories last 24 hours</source>
            <translation>日常已过期：日常只保留 24 小时</translation>
        </message>
        <message>
            <source>The post is not available here, for copyright or region</source>
            <translation>因版权或地区限制，此作品在这里无法观看</translation>
        </message>
        <message>
            <source>The platform withholds this post</source>
            <translation>平台未公开此作品</translation>
        </message>
        <message>
            <source>The platform wants you to log in to see this post</source>
            <translation>平台要求登录后才能查看此作品</translation>
        </message>
        <message>
            <source>The platform is limiting requests: wait a while and try again</source>
            <translation>平台正在限制访问频率：请稍等一会儿再试</translation>
        </message>
        <message>
            <source>The platform refused to answer a program</source>
            <translation>平台拒绝回应程序的访问</translation>
        </message>
        <message>
            <source>This is not a post link</source>
            <translation>这不是作品链接</translation>
        </message>
        <message>
            <source>The post could not be found: the platform may have changed how it serves posts</source>
            <translation>找不到作品：平台可能改变了提供作品的方式</translation>
        </message>
    </context>
    <context>
        <name>GalleryView</name>
        <message>
            <source>Gallery</source>
            <translation>图集</translation>
        </message>
        <message>
            <source>Picture</source>
            <translation>图片</translation>
        </message>
        <message>
            <source>Previous picture</source>
            <translation>上一张</translation>
        </message>
        <message>
            <source>Previous picture (Left)</source>
            <translation>上一张（左方向键）</translation>
        </message>
        <message>
            <source>Next picture</source>
            <translation>下一张</translation>
        </message>
        <message>
            <source>Next picture (Right)</source>
            <translation>下一张（右方向键）</translation>
        </message>
        <message>
            <source>Pictures</source>
            <translation>图片列表</translation>
        </message>
        <message>
            <source>%1 / %2</source>
            <translation>%1 / %2</translation>
        </message>
        <message>
            <source>This picture could not be loaded</source>
            <translation>这张图片无法加载</translation>
        </message>
        <message>
            <source>Loading the picture…</source>
            <translation>正在加载图片…</translation>
        </message>
        <message>
            <source>Picture %1</source>
            <translation>第 %1 张图片</translation>
        </message>
    </context>
    <context>
        <name>HistoryDialog</name>
        <message>
            <source>&amp;Open</source>
            <translation>打开(&amp;O)</translation>
        </message>
        <message>
            <source>&amp;Show in folder</source>
            <translation>在文件夹中显示(&amp;S)</translation>
        </message>
        <message>
            <source>History</source>
            <translation>历史记录</translation>
        </message>
        <message>
            <source>Search by title, author or ID</source>
            <translation>按标题、作者或 ID 搜索</translation>
        </message>
        <message>
            <source>Search the history</source>
            <translation>搜索历史记录</translation>
        </message>
        <message>
            <source>Items resolved before</source>
            <translation>解析过的作品</translation>
        </message>
        <message>
            <source>Files saved for the item</source>
            <translation>该作品已保存的文件</translation>
        </message>
        <message>
            <source>Shows the item on the main screen</source>
            <translation>在主界面显示该作品</translation>
        </message>
        <message>
            <source>Nothing found</source>
            <translation>没有找到</translation>
        </message>
        <message>
            <source>%1 (no longer there)</source>
            <translation>%1（已不存在）</translation>
        </message>
        <message>
            <source>The folder %1 is no longer there</source>
            <translation>文件夹 %1 已不存在</translation>
        </message>
        <message>
            <source>No file manager answered. The folder is %1</source>
            <translation>没有文件管理器响应。文件夹位于 %1</translation>
        </message>
        <message>
            <source>Clear the search</source>
            <translation>清除搜索</translation>
        </message>
    </context>
    <context>
        <name>HistoryModel</name>
        <message>
            <source>Not saved</source>
            <translation>未保存</translation>
        </message>
        <message>
            <source>Saved on %1</source>
            <translation>保存于 %1</translation>
        </message>
        <message>
            <source>Title</source>
            <translation>标题</translation>
        </message>
        <message>
            <source>Author</source>
            <translation>作者</translation>
        </message>
        <message>
            <source>ID</source>
            <translation>ID</translation>
        </message>
        <message>
            <source>Saved</source>
            <translation>已保存</translation>
        </message>
    </context>
    <context>
        <name>ItemAnswer</name>
        <message>
            <source>%1 has status_code %2 (%3)</source>
            <translation>%1 的 status_code 为 %2（%3）</translation>
        </message>
        <message>
            <source>%1 filters the item (reason &quot;%2&quot;, &quot;%3&quot;)</source>
            <translation>%1 过滤了该作品（原因“%2”，“%3”）</translation>
        </message>
        <message>
            <source>the item endpoint answered HTTP 429</source>
            <translation>作品接口返回 HTTP 429</translation>
        </message>
        <message>
            <source>the item endpoint answered HTTP 403, blocked by its security plugin</source>
            <translation>作品接口返回 HTTP 403，被其安全插件拦截</translation>
        </message>
        <message>
            <source>the item endpoint answered HTTP 403</source>
            <translation>作品接口返回 HTTP 403</translation>
        </message>
        <message>
            <source>the item endpoint answered with a script check</source>
            <translation>作品接口返回了脚本校验页面</translation>
        </message>
        <message>
            <source>the item endpoint answered with an empty body</source>
            <translation>作品接口返回了空内容</translation>
        </message>
        <message>
            <source>the item endpoint answered HTTP %1</source>
            <translation>作品接口返回 HTTP %1</translation>
        </message>
        <message>
            <source>the item endpoint&apos;s answer</source>
            <translation>作品接口的应答</translation>
        </message>
        <message>
            <source>the item endpoint&apos;s answer holds no item</source>
            <translation>作品接口的应答中没有作品</translation>
        </message>
        <message>
            <source>the share page answered HTTP 429</source>
            <translation>分享页面返回 HTTP 429</translation>
        </message>
        <message>
            <source>the share page is a script check</source>
            <translation>分享页面是脚本校验页面</translation>
        </message>
        <message>
            <source>the share page&apos;s router data</source>
            <translation>分享页面的路由数据</translation>
        </message>
        <message>
            <source>the item&apos;s status says it is deleted</source>
            <translation>作品状态显示已删除</translation>
        </message>
        <message>
            <source>the item&apos;s private_status is 1</source>
            <translation>作品的 private_status 为 1</translation>
        </message>
        <message>
            <source>the item&apos;s private_status is 2</source>
            <translation>作品的 private_status 为 2</translation>
        </message>
        <message>
            <source>%1, and %2</source>
            <translation>%1，并且%2</translation>
        </message>
    </context>
    <context>
        <name>ItemDownloadJob</name>
        <message>
            <source>Cover</source>
            <translation>封面</translation>
        </message>
        <message>
            <source>Picture %1 of %2</source>
            <translation>第 %1 张，共 %2 张</translation>
        </message>
    </context>
    <context>
        <name>MediaFetch</name>
        <message>
            <source>%1 is not a web address</source>
            <translation>%1 不是网址</translation>
        </message>
        <message>
            <source>HTTP %1 from %2</source>
            <translation>%2 返回 HTTP %1</translation>
        </message>
    </context>
    <context>
        <name>PartFile</name>
        <message>
            <source>Cannot create %1: %2</source>
            <translation>无法创建 %1：%2</translation>
        </message>
        <message>
            <source>No free file name for %1 in %2</source>
            <translation>在 %2 中找不到 %1 可用的文件名</translation>
        </message>
        <message>
            <source>Cannot rename %1 to %2: %3</source>
            <translation>无法把 %1 重命名为 %2：%3</translation>
        </message>
    </context>
    <context>
        <name>PlayerView</name>
        <message>
            <source>Video player</source>
            <translation>视频播放器</translation>
        </message>
        <message>
            <source>Play</source>
            <translation>播放</translation>
        </message>
        <message>
            <source>Position</source>
            <translation>播放位置</translation>
        </message>
        <message>
            <source>Time</source>
            <translation>时间</translation>
        </message>
        <message>
            <source>Pause</source>
            <translation>暂停</translation>
        </message>
        <message>
            <source>Left and Right move the video by 5 seconds</source>
            <translation>左右方向键将视频移动 5 秒</translation>
        </message>
        <message>
            <source>Loading the video…</source>
            <translation>正在加载视频…</translation>
        </message>
        <message>
            <source>Waiting for the video&apos;s data…</source>
            <translation>正在等待视频数据…</translation>
        </message>
        <message>
            <source>The file is not a video</source>
            <translation>该文件不是视频</translation>
        </message>
        <message>
            <source>The video cannot be played</source>
            <translation>无法播放该视频</translation>
        </message>
    </context>
    <context>
        <name>QueuePanel</name>
        <message>
            <source>Download queue</source>
            <translation>下载队列</translation>
        </message>
        <message>
            <source>Each row is one link: its title, its state and its progress.</source>
            <translation>每行是一个链接：标题、状态和进度。</translation>
        </message>
        <message>
            <source>Paste or drop several links to download them one after the other.</source>
            <translation>粘贴或拖入多个链接，逐个下载。</translation>
        </message>
        <message>
            <source>Pause</source>
            <translation>暂停</translation>
        </message>
        <message>
            <source>Stops the selected download and keeps what it fetched</source>
            <translation>停止所选下载并保留已下载的部分</translation>
        </message>
        <message>
            <source>Resume</source>
            <translation>继续</translation>
        </message>
        <message>
            <source>Goes on with the selected download</source>
            <translation>继续所选下载</translation>
        </message>
        <message>
            <source>Retry</source>
            <translation>重试</translation>
        </message>
        <message>
            <source>Resolves the selected link again and downloads it</source>
            <translation>重新解析所选链接并下载</translation>
        </message>
        <message>
            <source>Remove</source>
            <translation>移除</translation>
        </message>
        <message>
            <source>Cancels the selected download and removes its row</source>
            <translation>取消所选下载并移除该行</translation>
        </message>
        <message>
            <source>Open folder</source>
            <translation>打开文件夹</translation>
        </message>
        <message>
            <source>Shows the folder of the selected row&apos;s files</source>
            <translation>显示所选行文件所在的文件夹</translation>
        </message>
        <message>
            <source>Copy address</source>
            <translation>复制地址</translation>
        </message>
        <message>
            <source>Copies the selected item&apos;s address</source>
            <translation>复制所选作品的地址</translation>
        </message>
        <message>
            <source>Queue (%1)</source>
            <translation>队列（%1）</translation>
        </message>
        <message numerus="yes">
            <source>Queue, %n row(s)</source>
            <translation>
                <numerusform>队列，%n 行</numerusform>
            </translation>
        </message>
        <message>
            <source>Shows or hides the download queue</source>
            <translation>显示或隐藏下载队列</translation>
        </message>
    </context>
    <context>
        <name>RedirectChain</name>
        <message>
            <source>back to %1</source>
            <translation>跳回 %1</translation>
        </message>
        <message>
            <source>the link ended at %1 (HTTP %2), which holds no video ID</source>
            <translation>链接最终到达 %1（HTTP %2），其中没有视频 ID</translation>
        </message>
        <message>
            <source>&quot;%1&quot; is not a valid address</source>
            <translation>“%1”不是有效的地址</translation>
        </message>
    </context>
    <context>
        <name>RedirectRule</name>
        <message>
            <source>to %1</source>
            <translation>跳转到 %1</translation>
        </message>
        <message>
            <source>from https to %1</source>
            <translation>从 https 跳转到 %1</translation>
        </message>
        <message>
            <source>more than %1 redirects, the last to %2</source>
            <translation>超过 %1 次跳转，最后一次跳转到 %2</translation>
        </message>
    </context>
    <context>
        <name>Settings</name>
        <message>
            <source>%1 is not a folder</source>
            <translation>%1 不是文件夹</translation>
        </message>
        <message>
            <source>The folder %1 cannot be written</source>
            <translation>无法写入文件夹 %1</translation>
        </message>
        <message>
            <source>A folder must be given as a full path, not &quot;%1&quot;</source>
            <translation>文件夹须为完整路径，而不是“%1”</translation>
        </message>
        <message>
            <source>Parallel downloads take a number from 1 to %1</source>
            <translation>同时下载数须为 1 到 %1 之间的数字</translation>
        </message>
        <message>
            <source>The quality is best, worst or a height such as 720p, not &quot;%1&quot;</source>
            <translation>画质须为 best、worst 或 720p 这样的高度，而不是“%1”</translation>
        </message>
        <message>
            <source>The codec is one of %1, not &quot;%2&quot;</source>
            <translation>编码须为 %1 之一，而不是“%2”</translation>
        </message>
        <message>
            <source>Expected true or false, not &quot;%1&quot;</source>
            <translation>须为 true 或 false，而不是“%1”</translation>
        </message>
        <message>
            <source>The proxy is http://HOST[:PORT] or socks5://HOST[:PORT], not &quot;%1&quot;</source>
            <translation>代理须为 http://主机[:端口] 或 socks5://主机[:端口]，而不是“%1”</translation>
        </message>
        <message>
            <source>The language is zh_CN or en (or empty for the system&apos;s), not &quot;%1&quot;</source>
            <translation>语言须为 zh_CN 或 en（留空则跟随系统），而不是“%1”</translation>
        </message>
        <message>
            <source>The settings file %1 cannot be written</source>
            <translation>无法写入设置文件 %1</translation>
        </message>
        <message>
            <source>The settings file %1 is not an INI file</source>
            <translation>设置文件 %1 不是 INI 文件</translation>
        </message>
    </context>
    <context>
        <name>SettingsDialog</name>
        <message>
            <source>Settings</source>
            <translation>设置</translation>
        </message>
        <message>
            <source>&amp;Video folder</source>
            <translation>视频文件夹(&amp;V)</translation>
        </message>
        <message>
            <source>&amp;Picture folder</source>
            <translation>图片文件夹(&amp;P)</translation>
        </message>
        <message>
            <source>Fields: {id}, {name} (the author), {title}, {type}, {index}, {ext}. Empty: the default.</source>
            <translation>字段：{id}、{name}（作者）、{title}、{type}、{index}、{ext}。留空：默认。</translation>
        </message>
        <message>
            <source>File &amp;names</source>
            <translation>文件名(&amp;N)</translation>
        </message>
        <message>
            <source>Parallel &amp;downloads</source>
            <translation>同时下载数(&amp;D)</translation>
        </message>
        <message>
            <source>&amp;Quality</source>
            <translation>画质(&amp;Q)</translation>
        </message>
        <message>
            <source>&amp;Codec</source>
            <translation>编码(&amp;C)</translation>
        </message>
        <message>
            <source>Save the clips of &amp;live photos</source>
            <translation>保存实况照片的视频片段(&amp;L)</translation>
        </message>
        <message>
            <source>The system&apos;s proxy</source>
            <translation>系统代理</translation>
        </message>
        <message>
            <source>http://HOST:PORT or socks5://HOST:PORT</source>
            <translation>http://主机:端口 或 socks5://主机:端口</translation>
        </message>
        <message>
            <source>Pro&amp;xy</source>
            <translation>代理(&amp;X)</translation>
        </message>
        <message>
            <source>The system&apos;s language</source>
            <translation>跟随系统语言</translation>
        </message>
        <message>
            <source>Applies from the next start</source>
            <translation>下次启动时生效</translation>
        </message>
        <message>
            <source>&amp;Language</source>
            <translation>语言(&amp;L)</translation>
        </message>
        <message>
            <source>&amp;Offer links copied in other programs</source>
            <translation>提示在其他程序中复制的链接(&amp;O)</translation>
        </message>
        <message>
            <source>Problem</source>
            <translation>问题</translation>
        </message>
        <message>
            <source>Choose…</source>
            <translation>选择…</translation>
        </message>
        <message>
            <source>Choose the %1</source>
            <translation>选择%1</translation>
        </message>
        <message>
            <source>Choose a folder</source>
            <translation>选择文件夹</translation>
        </message>
    </context>
    <context>
        <name>SharePageRoad</name>
        <message>
            <source>the share page address is not valid: %1</source>
            <translation>分享页面地址无效：%1</translation>
        </message>
    </context>
    <context>
        <name>VideoAlbum</name>
        <message>
            <source>Cannot read %1: %2</source>
            <translation>无法读取 %1：%2</translation>
        </message>
        <message>
            <source>%1 is not a video</source>
            <translation>%1 不是视频</translation>
        </message>
        <message>
            <source>Cannot create the folder %1</source>
            <translation>无法创建文件夹 %1</translation>
        </message>
        <message>
            <source>Cannot create a file in %1</source>
            <translation>无法在 %1 中创建文件</translation>
        </message>
        <message>
            <source>%1 changed while it was copied</source>
            <translation>%1 在复制过程中被改动</translation>
        </message>
        <message>
            <source>%1 is not a picture</source>
            <translation>%1 不是图片</translation>
        </message>
    </context>
    <context>
        <name>VideoDownloader</name>
        <message>
            <source>Another download is running</source>
            <translation>另一个下载正在进行</translation>
        </message>
        <message>
            <source>The address is not a web address</source>
            <translation>该地址不是网络地址</translation>
        </message>
        <message>
            <source>Cannot create the folder %1</source>
            <translation>无法创建文件夹 %1</translation>
        </message>
        <message>
            <source>The download could not be decompressed: %1</source>
            <translation>下载内容无法解压：%1</translation>
        </message>
        <message>
            <source>The download is not a video</source>
            <translation>下载的内容不是视频</translation>
        </message>
        <message>
            <source>The server answered with status %1</source>
            <translation>服务器返回状态 %1</translation>
        </message>
        <message>
            <source>No data arrived for %1 ms</source>
            <translation>%1 毫秒内没有收到数据</translation>
        </message>
        <message>
            <source>The server sent an empty file</source>
            <translation>服务器发送了空文件</translation>
        </message>
        <message>
            <source>The transfer ended after %1 of %2 bytes</source>
            <translation>传输在 %2 字节中的 %1 字节处中断</translation>
        </message>
        <message>
            <source>The server answered with a redirect that names no address</source>
            <translation>服务器返回的跳转没有地址</translation>
        </message>
        <message>
            <source>The download is larger than %1 bytes</source>
            <translation>下载内容大于 %1 字节</translation>
        </message>
        <message>
            <source>The server sent the download in an encoding that is not supported (%1)</source>
            <translation>服务器使用了不支持的编码发送内容（%1）</translation>
        </message>
        <message>
            <source>The server did not resume the download where it stopped</source>
            <translation>服务器没有从中断处继续下载</translation>
        </message>
        <message>
            <source>The download is not an image</source>
            <translation>下载的内容不是图片</translation>
        </message>
        <message>
            <source>The transfer ended before the end of the file (the server sent it in chunks without a length)</source>
            <translation>传输在文件结束前中断（服务器分块发送且没有给出长度）</translation>
        </message>
        <message>
            <source>The file changed on the server since the download began</source>
            <translation>自下载开始以来，服务器上的文件已经改变</translation>
        </message>
        <message>
            <source>The server cannot resume the download (status 416)</source>
            <translation>服务器无法续传此下载（状态 416）</translation>
        </message>
        <message>
            <source>The transfer ended before the end of the file (the server sent no length and closed the connection)</source>
            <translation>传输在文件结束前中断（服务器没有给出长度并关闭了连接）</translation>
        </message>
        <message>
            <source>The read-ahead of the transfer was not bounded</source>
            <translation>传输的预读没有受到限制</translation>
        </message>
        <message>
            <source>to %1</source>
            <translation>跳转到 %1</translation>
        </message>
    </context>
    <context>
        <name>VideoParser</name>
        <message>
            <source>the text is neither a video ID nor holds a link</source>
            <translation>文本既不是视频 ID，也不包含链接</translation>
        </message>
        <message>
            <source>%1 is a play address, which holds no video ID</source>
            <translation>%1 是播放地址，其中没有视频 ID</translation>
        </message>
        <message>
            <source>the share page is not UTF-8</source>
            <translation>分享页面不是 UTF-8</translation>
        </message>
        <message>
            <source>the share page holds no router data</source>
            <translation>分享页面中没有路由数据</translation>
        </message>
        <message>
            <source>the share page&apos;s router data is not a JSON object</source>
            <translation>分享页面的路由数据不是 JSON 对象</translation>
        </message>
        <message>
            <source>the share page&apos;s router data holds no item</source>
            <translation>分享页面的路由数据中没有作品</translation>
        </message>
        <message>
            <source>the share page answered HTTP %1 and holds no item</source>
            <translation>分享页面返回 HTTP %1，其中没有作品</translation>
        </message>
    </context>
    <context>
        <name>ViewController</name>
        <message>
            <source>Paste a Douyin share text, link or video ID</source>
            <translation>粘贴抖音分享文本、链接或视频 ID</translation>
        </message>
        <message>
            <source>Share text, link or video ID</source>
            <translation>分享文本、链接或视频 ID</translation>
        </message>
        <message>
            <source>Paste</source>
            <translation>粘贴</translation>
        </message>
        <message>
            <source>Paste the link from the clipboard and parse it (Ctrl+V)</source>
            <translation>粘贴剪贴板中的链接并解析（Ctrl+V）</translation>
        </message>
        <message>
            <source>Parse</source>
            <translation>解析</translation>
        </message>
        <message>
            <source>Resolve the text to its play address and play it (Enter)</source>
            <translation>解析出播放地址并播放（回车）</translation>
        </message>
        <message>
            <source>Video</source>
            <translation>视频</translation>
        </message>
        <message>
            <source>Author and title</source>
            <translation>作者和标题</translation>
        </message>
        <message>
            <source>Copy link</source>
            <translation>复制链接</translation>
        </message>
        <message>
            <source>Copy the play address, or the picture addresses, to the clipboard</source>
            <translation>把播放地址或图片地址复制到剪贴板</translation>
        </message>
        <message>
            <source>Copy play address</source>
            <translation>复制播放地址</translation>
        </message>
        <message>
            <source>Download</source>
            <translation>下载</translation>
        </message>
        <message>
            <source>Download the video or the pictures and save them to the album</source>
            <translation>下载视频或图片并保存到相册</translation>
        </message>
        <message>
            <source>The item has neither a video nor pictures</source>
            <translation>该作品既没有视频也没有图片</translation>
        </message>
        <message>
            <source>Parse failed</source>
            <translation>解析失败！💦</translation>
        </message>
        <message>
            <source>Copied</source>
            <translation>保存成功</translation>
        </message>
        <message numerus="yes">
            <source>%n picture(s) saved in %1</source>
            <translation>
                <numerusform>已保存 %n 张图片到 %1</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n picture address(es)</source>
            <translation>
                <numerusform>%n 个图片地址</numerusform>
            </translation>
        </message>
        <message>
            <source>There is nothing to copy</source>
            <translation>没有可复制的链接</translation>
        </message>
        <message>
            <source>There is no play address to download</source>
            <translation>没有可下载的播放地址</translation>
        </message>
        <message>
            <source>The play address is not a valid address: %1</source>
            <translation>播放地址无效：%1</translation>
        </message>
        <message>
            <source>Cannot create a folder in %1</source>
            <translation>无法在 %1 中创建文件夹</translation>
        </message>
        <message>
            <source>Saving failed</source>
            <translation>保存失败</translation>
        </message>
        <message>
            <source>Cancelled</source>
            <translation>已取消</translation>
        </message>
        <message>
            <source>Saved</source>
            <translation>保存成功</translation>
        </message>
        <message>
            <source>In the album folder %1</source>
            <translation>已保存到相册文件夹 %1</translation>
        </message>
        <message>
            <source>Open folder</source>
            <translation>打开文件夹</translation>
        </message>
        <message>
            <source>Download failed</source>
            <translation>下载失败</translation>
        </message>
        <message>
            <source>Download pictures</source>
            <translation>下载图片</translation>
        </message>
        <message>
            <source>Download video</source>
            <translation>下载视频</translation>
        </message>
        <message>
            <source>Picture %1: %2</source>
            <translation>第 %1 张图片：%2</translation>
        </message>
        <message>
            <source>Video or pictures</source>
            <translation>视频或图片</translation>
        </message>
        <message>
            <source>Clear the field</source>
            <translation>清空输入框</translation>
        </message>
        <message>
            <source>The clipboard is empty</source>
            <translation>剪贴板是空的</translation>
        </message>
        <message>
            <source>The clipboard holds no link or video ID</source>
            <translation>剪贴板里没有链接或视频 ID</translation>
        </message>
        <message>
            <source>No file manager opened the folder</source>
            <translation>没有文件管理器打开该文件夹</translation>
        </message>
        <message>
            <source>The files are in %1</source>
            <translation>文件在 %1</translation>
        </message>
    </context>
    <context>
        <name>WindowMenu</name>
        <message>
            <source>&amp;Kivora</source>
            <translation>&amp;Kivora</translation>
        </message>
        <message>
            <source>&amp;Settings…</source>
            <translation>设置(&amp;S)…</translation>
        </message>
        <message>
            <source>&amp;History…</source>
            <translation>历史记录(&amp;H)…</translation>
        </message>
        <message>
            <source>Menu</source>
            <translation>菜单</translation>
        </message>
        <message>
            <source>The history cannot be kept: %1</source>
            <translation>无法保存历史记录：%1</translation>
        </message>
        <message>
            <source>The history file was not a database. It was kept as %1 and a new history begun.</source>
            <translation>历史记录文件不是数据库。它已保留为 %1，并开始新的历史记录。</translation>
        </message>
        <message>
            <source>History</source>
            <translation>历史记录</translation>
        </message>
        <message numerus="yes">
            <source>%n link(s) copied in another program:</source>
            <translation>
                <numerusform>在其他程序中复制了 %n 个链接：</numerusform>
            </translation>
        </message>
        <message>
            <source>Copied links</source>
            <translation>复制的链接</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>打开</translation>
        </message>
        <message>
            <source>Ignore</source>
            <translation>忽略</translation>
        </message>
    </context>
    <context>
        <name>WindowQueue</name>
        <message>
            <source>The download queue is done</source>
            <translation>下载队列已完成</translation>
        </message>
        <message numerus="yes">
            <source>%n row(s) in the queue</source>
            <translation>
                <numerusform>队列中有 %n 行</numerusform>
            </translation>
        </message>
        <message>
            <source>Saved</source>
            <translation>已保存</translation>
        </message>
        <message>
            <source>Download failed</source>
            <translation>下载失败</translation>
        </message>
    </context>
</TS>
