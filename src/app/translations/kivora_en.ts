<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en">
    <context>
        <name>BoundedRequest</name>
        <message>
            <source>no complete answer from %1 before the deadline</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 announces %2 bytes; the limit is %3 bytes</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 sent more than %2 bytes</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>no progress from %1 within %2 ms</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: %2 (%3)</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>BusyIndicator</name>
        <message>
            <source>Cancel</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saving</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 of %2 (%3 %)</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>CheckedWrites</name>
        <message>
            <source>%1 holds %2 of the %3 bytes written</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot write %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot write %1: %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ContentDecoder</name>
        <message>
            <source>the compressed data is damaged</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>it expands past %1 bytes</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>data follows the end of the compressed stream</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the compressed data ends early</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>DesktopNotifier</name>
        <message>
            <source>Open folder</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>DownloadQueue</name>
        <message>
            <source>Waiting</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Resolving the link</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saved before, on %1. Resume downloads it again.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1, %2 a second</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1, %2 s left</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saved in %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Failed: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paused</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>Paused, %n file(s) saved</source>
            <translation type="unfinished">
                <numerusform></numerusform>
                <numerusform></numerusform>
            </translation>
        </message>
        <message>
            <source>Cancelled</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>FailureReason</name>
        <message>
            <source>%1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The short link redirects in a loop</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The short link redirects too many times</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A redirect was refused</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The secure connection failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The connection was refused</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server stopped answering</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The parse took too long</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The request failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server answered with an error status</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The answer is too large</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The share page is not UTF-8 text</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The answer could not be decompressed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancelled</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The file could not be written</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The download is not what it claims to be</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The transfer did not bring the whole file</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The copy into the album failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The item has neither a video nor pictures</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The post has been deleted</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The post is private: only its author can see it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Only the author&apos;s friends can see this post</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The story has expired: stories last 24 hours</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The post is not available here, for copyright or region</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The platform withholds this post</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The platform wants you to log in to see this post</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The platform is limiting requests: wait a while and try again</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The platform refused to answer a program</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This is not a post link</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The post could not be found: the platform may have changed how it serves posts</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>GalleryView</name>
        <message>
            <source>Gallery</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Picture</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Previous picture</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Previous picture (Left)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Next picture</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Next picture (Right)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Pictures</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 / %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>This picture could not be loaded</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Loading the picture…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Picture %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>HistoryDialog</name>
        <message>
            <source>&amp;Open</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Show in folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>History</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Search by title, author or ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Search the history</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Items resolved before</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Files saved for the item</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Shows the item on the main screen</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Nothing found</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 (no longer there)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder %1 is no longer there</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No file manager answered. The folder is %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Clear the search</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>HistoryModel</name>
        <message>
            <source>Not saved</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saved on %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Title</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Author</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saved</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ItemAnswer</name>
        <message>
            <source>%1 has status_code %2 (%3)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 filters the item (reason &quot;%2&quot;, &quot;%3&quot;)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered HTTP 429</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered HTTP 403, blocked by its security plugin</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered HTTP 403</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered with a script check</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered with an empty body</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered HTTP %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint&apos;s answer</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint&apos;s answer holds no item</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page answered HTTP 429</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page is a script check</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page&apos;s router data</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item&apos;s status says it is deleted</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item&apos;s private_status is 1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item&apos;s private_status is 2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1, and %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ItemDownloadJob</name>
        <message>
            <source>Cover</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Picture %1 of %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>MediaFetch</name>
        <message>
            <source>%1 is not a web address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>HTTP %1 from %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PartFile</name>
        <message>
            <source>Cannot create %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No free file name for %1 in %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot rename %1 to %2: %3</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>PlayerView</name>
        <message>
            <source>Video player</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Play</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Position</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Time</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Pause</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Left and Right move the video by 5 seconds</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Loading the video…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Waiting for the video&apos;s data…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The file is not a video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The video cannot be played</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>QueuePanel</name>
        <message>
            <source>Download queue</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Each row is one link: its title, its state and its progress.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paste or drop several links to download them one after the other.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Pause</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Stops the selected download and keeps what it fetched</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Resume</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Goes on with the selected download</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Retry</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Resolves the selected link again and downloads it</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Remove</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancels the selected download and removes its row</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Open folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Shows the folder of the selected row&apos;s files</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copies the selected item&apos;s address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Queue (%1)</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>Queue, %n row(s)</source>
            <translation type="unfinished">
                <numerusform></numerusform>
                <numerusform></numerusform>
            </translation>
        </message>
        <message>
            <source>Shows or hides the download queue</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>RedirectChain</name>
        <message>
            <source>back to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the link ended at %1 (HTTP %2), which holds no video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&quot;%1&quot; is not a valid address</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>RedirectRule</name>
        <message>
            <source>to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>from https to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>more than %1 redirects, the last to %2</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>Settings</name>
        <message>
            <source>%1 is not a folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The folder %1 cannot be written</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A folder must be given as a full path, not &quot;%1&quot;</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Parallel downloads take a number from 1 to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The quality is best, worst or a height such as 720p, not &quot;%1&quot;</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The codec is one of %1, not &quot;%2&quot;</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Expected true or false, not &quot;%1&quot;</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The proxy is http://HOST[:PORT] or socks5://HOST[:PORT], not &quot;%1&quot;</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The language is zh_CN or en (or empty for the system&apos;s), not &quot;%1&quot;</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The settings file %1 cannot be written</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The settings file %1 is not an INI file</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>SettingsDialog</name>
        <message>
            <source>Settings</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Video folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Picture folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Fields: {id}, {name} (the author), {title}, {type}, {index}, {ext}. Empty: the default.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>File &amp;names</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Parallel &amp;downloads</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Quality</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Codec</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Save the clips of &amp;live photos</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The system&apos;s proxy</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>http://HOST:PORT or socks5://HOST:PORT</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Pro&amp;xy</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The system&apos;s language</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Applies from the next start</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Language</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Offer links copied in other programs</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Problem</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose the %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Choose a folder</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>SharePageRoad</name>
        <message>
            <source>the share page address is not valid: %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>VideoAlbum</name>
        <message>
            <source>Cannot read %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is not a video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot create the folder %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot create a file in %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 changed while it was copied</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is not a picture</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>VideoDownloader</name>
        <message>
            <source>Another download is running</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The address is not a web address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot create the folder %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The download could not be decompressed: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The download is not a video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server answered with status %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No data arrived for %1 ms</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server sent an empty file</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The transfer ended after %1 of %2 bytes</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server answered with a redirect that names no address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The download is larger than %1 bytes</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server sent the download in an encoding that is not supported (%1)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server did not resume the download where it stopped</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The download is not an image</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The transfer ended before the end of the file (the server sent it in chunks without a length)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The file changed on the server since the download began</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server cannot resume the download (status 416)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The transfer ended before the end of the file (the server sent no length and closed the connection)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The read-ahead of the transfer was not bounded</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>to %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>VideoParser</name>
        <message>
            <source>the text is neither a video ID nor holds a link</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 is a play address, which holds no video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page is not UTF-8</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page holds no router data</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page&apos;s router data is not a JSON object</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page&apos;s router data holds no item</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page answered HTTP %1 and holds no item</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>ViewController</name>
        <message>
            <source>Paste a Douyin share text, link or video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Share text, link or video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paste</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Paste the link from the clipboard and parse it (Ctrl+V)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Parse</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Resolve the text to its play address and play it (Enter)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Author and title</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy link</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy the play address, or the picture addresses, to the clipboard</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copy play address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Download</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Download the video or the pictures and save them to the album</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The item has neither a video nor pictures</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Parse failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Copied</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n picture(s) saved in %1</source>
            <translation>
                <numerusform>%n picture saved in %1</numerusform>
                <numerusform>%n pictures saved in %1</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%n picture address(es)</source>
            <translation>
                <numerusform>%n picture address</numerusform>
                <numerusform>%n picture addresses</numerusform>
            </translation>
        </message>
        <message>
            <source>There is nothing to copy</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>There is no play address to download</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The play address is not a valid address: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cannot create a folder in %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saving failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancelled</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Saved</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>In the album folder %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Open folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Download failed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Download pictures</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Download video</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Picture %1: %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Video or pictures</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Clear the field</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The clipboard is empty</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The clipboard holds no link or video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>No file manager opened the folder</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The files are in %1</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>WindowMenu</name>
        <message>
            <source>&amp;Kivora</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;Settings…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>&amp;History…</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Menu</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The history cannot be kept: %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The history file was not a database. It was kept as %1 and a new history begun.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>History</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n link(s) copied in another program:</source>
            <translation>
                <numerusform>%n link copied in another program:</numerusform>
                <numerusform>%n links copied in another program:</numerusform>
            </translation>
        </message>
        <message>
            <source>Copied links</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Open</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Ignore</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>WindowQueue</name>
        <message>
            <source>The download queue is done</source>
            <translation type="unfinished" />
        </message>
        <message numerus="yes">
            <source>%n row(s) in the queue</source>
            <translation type="unfinished">
                <numerusform></numerusform>
                <numerusform></numerusform>
            </translation>
        </message>
        <message>
            <source>Saved</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Download failed</source>
            <translation type="unfinished" />
        </message>
    </context>
</TS>
