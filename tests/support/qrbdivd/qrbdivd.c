/* qrbdivd.sys: a stand-in for the sound library maker's device driver
 * "qrbdivd.vxd", for the tests and the demo. It is a kernel-mode driver that
 * Wine loads as the service "qrbdivd"; it creates \Device\qrbdivd.vxd, which
 * CreateFileA("\\.\qrbdivd.vxd") opens, and answers the three control codes
 * of the driver information library:
 *
 *   0x2001 attach    4 bytes out: the value AttachReply (2 = refusal)
 *   0x2000 identify  the 444-byte device record in and out: accepted when its
 *                    driver name (offset 124) or device-ID text (offset 188)
 *                    is one of the configured devices, which then fill the
 *                    numeric ID (4), port (408), DMA (412), IRQ (416) and
 *                    second DMA (432); refused otherwise
 *   0x2002 detach    4 bytes out: 0
 *
 * 0x2001 and 0x2002 are direct-I/O codes (their low two bits): their output
 * goes through the request's MDL, not the system buffer.
 *
 * Its configuration lives in its service key
 * (HKLM\System\CurrentControlSet\Services\qrbdivd) and is read again at each
 * open, so that a test changes the answers between two opens:
 *
 *   AttachReply    REG_DWORD  what 0x2001 answers (default 0)
 *   AttachFails    REG_DWORD  nonzero: 0x2001 fails
 *   DetachFails    REG_DWORD  nonzero: 0x2002 fails
 *   FillRecord     REG_DWORD  nonzero: an accepted record is first filled,
 *                             all 444 bytes, with the value's low byte (a
 *                             driver that writes over the library's texts
 *                             and flags)
 *   Device0..7     REG_SZ     "NAME ID PORT DMA IRQ DMA2": NAME is matched
 *                             exactly (case counts) against the record's
 *                             driver name or device-ID text; the numbers are
 *                             decimal or 0x hexadecimal, -1 allowed
 *
 * It keeps the number of open handles in the value Clients (REG_DWORD), so
 * that a test sees a handle closed.
 *
 * Written in C: the MinGW DDK headers do not compile as C++. */
#include <ntddk.h>

#define QRB_IDENTIFY 0x2000
#define QRB_ATTACH 0x2001
#define QRB_DETACH 0x2002

#define RECORD_BYTES 444
#define NAME_BYTES 64
#define MAX_DEVICES 8

typedef struct {
    char name[NAME_BYTES];
    ULONG values[5]; /* numeric ID, port, DMA, IRQ, second DMA */
} KnownDevice;

typedef struct {
    ULONG attachReply;
    ULONG attachFails;
    ULONG detachFails;
    ULONG fillRecord;
    int count;
    KnownDevice devices[MAX_DEVICES];
} Config;

static const ULONG RecordOffsets[5] = {4, 408, 412, 416, 432};

static WCHAR ServicePathBuffer[512];
static UNICODE_STRING ServicePath;
static Config Current;
static LONG Clients;

static NTSTATUS OpenServiceKey(ACCESS_MASK access, HANDLE* key)
{
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &ServicePath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    return ZwOpenKey(key, access, &attributes);
}

/* A value's data into buffer; its length, or -1 when it cannot be read. */
static LONG QueryValue(HANDLE key, const WCHAR* name, ULONG type, void* buffer, ULONG size)
{
    UCHAR raw[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 256];
    KEY_VALUE_PARTIAL_INFORMATION* info = (KEY_VALUE_PARTIAL_INFORMATION*)raw;
    UNICODE_STRING valueName;
    ULONG length = 0, i;
    RtlInitUnicodeString(&valueName, name);
    if (!NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, raw, sizeof raw, &length)))
        return -1;
    if (info->Type != type || info->DataLength > size)
        return -1;
    for (i = 0; i < info->DataLength; i++)
        ((UCHAR*)buffer)[i] = info->Data[i];
    return (LONG)info->DataLength;
}

static ULONG QueryDword(HANDLE key, const WCHAR* name)
{
    ULONG value = 0;
    return QueryValue(key, name, REG_DWORD, &value, sizeof value) == sizeof value ? value : 0;
}

static const WCHAR* SkipBlanks(const WCHAR* s, const WCHAR* end)
{
    while (s < end && (*s == L' ' || *s == L'\t'))
        s++;
    return s;
}

/* A decimal or 0x hexadecimal number, optionally negative. */
static const WCHAR* ParseNumber(const WCHAR* s, const WCHAR* end, ULONG* value, BOOLEAN* ok)
{
    BOOLEAN negative = FALSE, digits = FALSE;
    ULONG base = 10, result = 0;
    s = SkipBlanks(s, end);
    if (s < end && *s == L'-') {
        negative = TRUE;
        s++;
    }
    if (end - s >= 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X')) {
        base = 16;
        s += 2;
    }
    for (; s < end; s++) {
        ULONG digit;
        if (*s >= L'0' && *s <= L'9')
            digit = *s - L'0';
        else if (base == 16 && *s >= L'a' && *s <= L'f')
            digit = *s - L'a' + 10;
        else if (base == 16 && *s >= L'A' && *s <= L'F')
            digit = *s - L'A' + 10;
        else
            break;
        result = result * base + digit;
        digits = TRUE;
    }
    *ok = digits;
    *value = negative ? (ULONG)(-(LONG)result) : result;
    return s;
}

/* "NAME ID PORT DMA IRQ DMA2" (UTF-16, not necessarily terminated). */
static BOOLEAN ParseDevice(const WCHAR* text, ULONG bytes, KnownDevice* device)
{
    const WCHAR* s = text;
    const WCHAR* end = text + bytes / sizeof(WCHAR);
    int n = 0, i;
    while (end > s && end[-1] == 0)
        end--;
    s = SkipBlanks(s, end);
    while (s < end && *s != L' ' && *s != L'\t' && n < NAME_BYTES - 1)
        device->name[n++] = (char)*s++;
    device->name[n] = 0;
    if (n == 0)
        return FALSE;
    for (i = 0; i < 5; i++) {
        BOOLEAN ok;
        s = ParseNumber(s, end, &device->values[i], &ok);
        if (!ok)
            return FALSE;
    }
    return TRUE;
}

static void ReadConfig(void)
{
    static const WCHAR* const names[MAX_DEVICES] = {L"Device0", L"Device1", L"Device2", L"Device3",
                                                    L"Device4", L"Device5", L"Device6", L"Device7"};
    HANDLE key;
    int i;
    Current.attachReply = Current.attachFails = Current.detachFails = Current.fillRecord = 0;
    Current.count = 0;
    if (!NT_SUCCESS(OpenServiceKey(KEY_READ, &key)))
        return;
    Current.attachReply = QueryDword(key, L"AttachReply");
    Current.attachFails = QueryDword(key, L"AttachFails");
    Current.detachFails = QueryDword(key, L"DetachFails");
    Current.fillRecord = QueryDword(key, L"FillRecord");
    for (i = 0; i < MAX_DEVICES; i++) {
        WCHAR text[128];
        LONG length = QueryValue(key, names[i], REG_SZ, text, sizeof text);
        if (length > 0 && ParseDevice(text, (ULONG)length, &Current.devices[Current.count]))
            Current.count++;
    }
    ZwClose(key);
}

static void WriteClients(LONG clients)
{
    HANDLE key;
    UNICODE_STRING name;
    ULONG value = (ULONG)clients;
    if (!NT_SUCCESS(OpenServiceKey(KEY_SET_VALUE, &key)))
        return;
    RtlInitUnicodeString(&name, L"Clients");
    ZwSetValueKey(key, &name, 0, REG_DWORD, &value, sizeof value);
    ZwClose(key);
}

/* Texts of the record are compared within their 64-byte fields. */
static BOOLEAN SameName(const char* field, const char* name)
{
    int i;
    for (i = 0; i < NAME_BYTES; i++) {
        if (field[i] != name[i])
            return FALSE;
        if (name[i] == 0)
            return TRUE;
    }
    return FALSE;
}

static NTSTATUS Identify(UCHAR* record)
{
    int i, k;
    for (i = 0; i < Current.count; i++) {
        const KnownDevice* device = &Current.devices[i];
        if (!SameName((const char*)record + 124, device->name) && !SameName((const char*)record + 188, device->name))
            continue;
        if (Current.fillRecord)
            RtlFillMemory(record, RECORD_BYTES, (UCHAR)Current.fillRecord);
        for (k = 0; k < 5; k++)
            *(ULONG*)(record + RecordOffsets[k]) = device->values[k];
        return STATUS_SUCCESS;
    }
    return STATUS_NO_SUCH_DEVICE;
}

/* The 4-byte answer of a direct-I/O code, through the request's MDL. */
static NTSTATUS AnswerDirect(IRP* irp, ULONG outLength, ULONG value)
{
    ULONG* out;
    if (outLength < sizeof(ULONG) || !irp->MdlAddress)
        return STATUS_BUFFER_TOO_SMALL;
    out = (ULONG*)MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
    if (!out)
        return STATUS_INSUFFICIENT_RESOURCES;
    *out = value;
    irp->IoStatus.Information = sizeof(ULONG);
    return STATUS_SUCCESS;
}

static NTSTATUS Complete(IRP* irp, NTSTATUS status)
{
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS DispatchCreate(DEVICE_OBJECT* device, IRP* irp)
{
    (void)device;
    ReadConfig();
    WriteClients(InterlockedIncrement(&Clients));
    irp->IoStatus.Information = 0;
    return Complete(irp, STATUS_SUCCESS);
}

static NTSTATUS DispatchClose(DEVICE_OBJECT* device, IRP* irp)
{
    (void)device;
    WriteClients(InterlockedDecrement(&Clients));
    irp->IoStatus.Information = 0;
    return Complete(irp, STATUS_SUCCESS);
}

static NTSTATUS DispatchControl(DEVICE_OBJECT* device, IRP* irp)
{
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    NTSTATUS status;
    (void)device;
    irp->IoStatus.Information = 0;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case QRB_ATTACH:
        status = Current.attachFails ? STATUS_UNSUCCESSFUL : AnswerDirect(irp, outLength, Current.attachReply);
        break;
    case QRB_DETACH:
        status = Current.detachFails ? STATUS_UNSUCCESSFUL : AnswerDirect(irp, outLength, 0);
        break;
    case QRB_IDENTIFY:
        if (inLength < RECORD_BYTES || outLength < RECORD_BYTES) {
            status = STATUS_BUFFER_TOO_SMALL;
            break;
        }
        status = Identify((UCHAR*)irp->AssociatedIrp.SystemBuffer);
        if (NT_SUCCESS(status))
            irp->IoStatus.Information = RECORD_BYTES;
        break;
    default:
        status = STATUS_INVALID_DEVICE_REQUEST;
        break;
    }
    return Complete(irp, status);
}

static void Unload(DRIVER_OBJECT* driver)
{
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, L"\\DosDevices\\qrbdivd.vxd");
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject)
        IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath)
{
    UNICODE_STRING name, link;
    DEVICE_OBJECT* device;
    NTSTATUS status;
    USHORT bytes = registryPath->Length;
    if (bytes > sizeof ServicePathBuffer - sizeof(WCHAR))
        return STATUS_NAME_TOO_LONG;
    RtlCopyMemory(ServicePathBuffer, registryPath->Buffer, bytes);
    ServicePathBuffer[bytes / sizeof(WCHAR)] = 0;
    ServicePath.Buffer = ServicePathBuffer;
    ServicePath.Length = bytes;
    ServicePath.MaximumLength = sizeof ServicePathBuffer;

    RtlInitUnicodeString(&name, L"\\Device\\qrbdivd.vxd");
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    RtlInitUnicodeString(&link, L"\\DosDevices\\qrbdivd.vxd");
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = Unload;
    WriteClients(0);
    return STATUS_SUCCESS;
}
