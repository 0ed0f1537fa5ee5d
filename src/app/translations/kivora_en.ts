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
            <source>The share page holds no router data</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Neither the share page nor the item endpoint holds the item</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The platform refused to answer</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Cancelled</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>GalleryDownload</name>
        <message>
            <source>Cancelled</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Picture %1: %2</source>
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
        <name>ItemFetch</name>
        <message>
            <source>%1, and %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>%1 either</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page address is not valid: %1</source>
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
            <source>Waiting for the video's data…</source>
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
        <name>RedirectChain</name>
        <message>
            <source>to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>from https to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>back to %1</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>more than %1 redirects, the last to %2</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the link ended at %1 (HTTP %2), which holds no video ID</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>"%1" is not a valid address</source>
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
            <source>The download was cancelled</source>
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
            <source>The server sent no length, so a cut transfer cannot be told from a whole one</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server answered with a redirect that names no address</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server redirected too many times (last to %1)</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server redirected from https to plain http (%1); such a redirect is not followed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The server redirected to %1, which was not followed</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>The download was stopped</source>
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
            <source>the share page's router data is not a JSON object</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page's router data holds no item</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the share page answered HTTP %1 and holds no item</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>the item endpoint answered HTTP 403</source>
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
            <source>the item endpoint's answer holds no item</source>
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
            <source>Picture %1 of %2</source>
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
</TS>
